#include "ticketpanel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace calvorigne {

namespace {

QDoubleSpinBox* millimetres(QWidget* parent, double low, double high)
{
    auto* box = new QDoubleSpinBox(parent);
    // « 12,5 mm » as every other number the program writes, whatever the system's language.
    box->setLocale(QLocale(QLocale::French));
    box->setRange(low, high);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

} // namespace

TicketPanel::TicketPanel(QWidget* parent) : QGroupBox(QStringLiteral("Billet"), parent)
{
    columns = new QSpinBox(this);
    columns->setRange(1, TicketModel::maxColumns);
    pitch = millimetres(this, 0, 297);
    pitch->setToolTip(QStringLiteral("De la gauche d'une colonne de billets à la gauche de la suivante"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Colonnes"), columns);
    form->addRow(QStringLiteral("Écart entre colonnes"), pitch);

    for (int k = 0; k < TicketModel::maxStubs; ++k) {
        StubRow& stub = stubs[std::size_t(k)];
        stub.row = new QWidget(this);
        stub.dx = millimetres(stub.row, -297, 297);
        stub.dx->setToolTip(QStringLiteral("Décalage vers la droite depuis le numéro"));
        stub.dx->setPrefix(QStringLiteral("à droite "));
        stub.dy = millimetres(stub.row, -297, 297);
        stub.dy->setToolTip(QStringLiteral("Décalage vers le bas depuis le numéro"));
        stub.dy->setPrefix(QStringLiteral("plus bas "));
        stub.size = new QDoubleSpinBox(stub.row);
        stub.size->setRange(0, 500);
        stub.size->setSuffix(QStringLiteral(" pt"));
        stub.size->setSpecialValueText(QStringLiteral("même taille que le numéro"));
        stub.rotation = new QComboBox(stub.row);
        for (const char* turn : {"sans rotation", "90° à droite", "180°", "90° à gauche"})
            stub.rotation->addItem(QString::fromUtf8(turn));
        stub.remove = new QPushButton(QStringLiteral("Retirer"), stub.row);
        // On two lines, so that every box shows its whole text in the panel's width.
        auto* lines = new QGridLayout(stub.row);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->addWidget(new QLabel(QStringLiteral("Souche %1").arg(k + 1), stub.row), 0, 0);
        lines->addWidget(stub.dx, 0, 1);
        lines->addWidget(stub.dy, 0, 2);
        lines->addWidget(stub.remove, 1, 0);
        lines->addWidget(stub.size, 1, 1);
        lines->addWidget(stub.rotation, 1, 2);
        form->addRow(stub.row);
        for (QDoubleSpinBox* box : {stub.dx, stub.dy, stub.size})
            connect(box, &QDoubleSpinBox::valueChanged, this, &TicketPanel::edited);
        connect(stub.rotation, &QComboBox::currentIndexChanged, this, &TicketPanel::edited);
        connect(stub.remove, &QPushButton::clicked, this, [this, k] {
            m_model.stubs.erase(m_model.stubs.begin() + k);
            showModel();
            emit changed(m_model);
        });
    }
    addStub = new QPushButton(QStringLiteral("Ajouter une souche"), this);
    addStub->setToolTip(QStringLiteral("Le même numéro imprimé une fois de plus, par exemple sur la souche du billet"));
    form->addRow(addStub);
    connect(addStub, &QPushButton::clicked, this, [this] {
        m_model.stubs.emplace_back();
        showModel();
        emit changed(m_model);
    });

    prefix = new QLineEdit(this);
    prefix->setMaxLength(TicketModel::maxPrefix);
    prefix->setPlaceholderText(QStringLiteral("par exemple N° "));
    // The settings file holds Latin-1 text.
    prefix->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x{20}-\\x{7e}\\x{a0}-\\x{ff}]*")), prefix));
    digits = new QSpinBox(this);
    digits->setRange(1, 9);
    form->addRow(QStringLiteral("Texte avant le numéro"), prefix);
    form->addRow(QStringLiteral("Chiffres au moins"), digits);
    connect(columns, &QSpinBox::valueChanged, this, &TicketPanel::edited);
    connect(pitch, &QDoubleSpinBox::valueChanged, this, &TicketPanel::edited);
    connect(prefix, &QLineEdit::textEdited, this, &TicketPanel::edited);
    connect(digits, &QSpinBox::valueChanged, this, &TicketPanel::edited);
    showModel();
}

void TicketPanel::setModel(const TicketModel& model)
{
    if (model == m_model)
        return;
    m_model = model;
    showModel();
}

void TicketPanel::showModel()
{
    // The widgets' own signals while they are set are not edits.
    m_showing = true;
    columns->setValue(m_model.columns);
    pitch->setValue(m_model.pitch);
    pitch->setEnabled(m_model.columns > 1);
    for (std::size_t k = 0; k < stubs.size(); ++k) {
        const bool used = k < m_model.stubs.size();
        stubs[k].row->setVisible(used);
        if (!used)
            continue;
        const StubPlace& stub = m_model.stubs[k];
        stubs[k].dx->setValue(stub.dx);
        stubs[k].dy->setValue(stub.dy);
        stubs[k].size->setValue(stub.size.value_or(0));
        stubs[k].rotation->setCurrentIndex(stub.rotation / 90);
    }
    addStub->setEnabled(m_model.stubs.size() < stubs.size());
    if (prefix->text() != m_model.prefix)
        prefix->setText(m_model.prefix);
    digits->setValue(m_model.digits);
    m_showing = false;
}

void TicketPanel::edited()
{
    if (m_showing)
        return;
    m_model.columns = columns->value();
    m_model.pitch = pitch->value();
    pitch->setEnabled(m_model.columns > 1);
    for (std::size_t k = 0; k < m_model.stubs.size(); ++k) {
        StubPlace& stub = m_model.stubs[k];
        stub.dx = stubs[k].dx->value();
        stub.dy = stubs[k].dy->value();
        stub.size = stubs[k].size->value() > 0 ? std::optional(stubs[k].size->value()) : std::nullopt;
        stub.rotation = 90 * stubs[k].rotation->currentIndex();
    }
    m_model.prefix = prefix->text();
    m_model.digits = digits->value();
    emit changed(m_model);
}

} // namespace calvorigne
