#include "recordedlayout.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace calvorigne {

namespace {

using Field = TicketLayout::Field;

const std::pair<Field, const char*> fieldNames[] = {
    {Field::First, "premier"}, {Field::Booklets, "carnets"}, {Field::Folios, "folios"}, {Field::X, "x"},
    {Field::Y, "y"},           {Field::E, "e"},              {Field::Top, "h"},         {Field::Bottom, "b"},
    {Field::Size, "taille"},   {Field::Rows, "parPage"},     {Field::Last, "dernier"}};

} // namespace

QString RecordedLayout::describe(const TicketLayout& layout)
{
    QJsonObject fields, model;
    for (const auto& [field, name] : fieldNames)
        fields.insert(QLatin1String(name), layout.caption(field));
    // The keys' values are written as the settings file has them: blanks and one pair of quotes
    // around a value do not count.
    for (const auto& [key, value] : layout.ticketModel().keys()) {
        QString bare = value.trimmed();
        if (bare.size() >= 2 && bare.startsWith(u'"') && bare.endsWith(u'"'))
            bare = bare.mid(1, bare.size() - 2);
        model.insert(key, bare);
    }
    const QJsonObject all{{"champs", fields},
                          {"police", layout.fontName()},
                          {"gras", layout.bold()},
                          {"encre", qint64(layout.inkColour())},
                          {"billet", model}};
    return QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact));
}

std::optional<RecordedLayout> RecordedLayout::read(const QString& text)
{
    const QJsonObject all = QJsonDocument::fromJson(text.toUtf8()).object();
    const QJsonObject fields = all.value("champs").toObject();
    if (fields.isEmpty())
        return std::nullopt;
    RecordedLayout layout;
    for (const auto& [field, name] : fieldNames)
        layout.m_captions[field] = fields.value(QLatin1String(name)).toString();
    layout.m_font = all.value("police").toString();
    layout.m_bold = all.value("gras").toBool();
    layout.m_ink = std::uint32_t(all.value("encre").toInteger());
    const QJsonObject model = all.value("billet").toObject();
    layout.m_model = TicketModel::fromKeys([&](const QString& key) { return model.value(key).toString(); });
    return layout;
}

} // namespace calvorigne
