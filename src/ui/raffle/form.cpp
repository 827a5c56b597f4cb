#include "form.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace calvorigne {

Form::Form(const QString& title, const QString& intro, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_fields(new QFormLayout), m_dialogs(dialogs)
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    if (!intro.isEmpty()) {
        auto* words = new QLabel(intro);
        words->setWordWrap(true);
        words->setMinimumWidth(420);
        layout->addWidget(words);
    }
    layout->addLayout(m_fields);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("Enregistrer"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &Form::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QLineEdit* Form::addText(const QString& label, const QString& value, const QString& hint)
{
    auto* field = new QLineEdit(value);
    field->setPlaceholderText(hint);
    field->setMinimumWidth(280);
    m_fields->addRow(label, field);
    return field;
}

QString suggestedPath(const QString& name, const QString& extension)
{
    QString file = name;
    file.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("-"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(file + extension);
}

QComboBox* Form::addChoice(const QString& label, const QStringList& items)
{
    auto* field = new QComboBox;
    field->addItems(items);
    m_fields->addRow(label, field);
    return field;
}

QDateEdit* Form::addDate(const QString& label, const QDate& value)
{
    auto* field = new QDateEdit(value);
    field->setCalendarPopup(true);
    field->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    m_fields->addRow(label, field);
    return field;
}

void Form::onSave(std::function<Result()> save, std::function<void(const Result&)> done)
{
    m_save = std::move(save);
    m_done = std::move(done);
}

void Form::save()
{
    const Result result = m_save ? m_save() : Result{};
    if (!result) {
        m_dialogs.message(result.refusal);
        return;
    }
    accept();
    if (m_done)
        m_done(result);
}

} // namespace calvorigne
