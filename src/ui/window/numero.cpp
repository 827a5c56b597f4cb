#include "numero.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "ui/window/icons.h"
#include "ui/preview/previewwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>

namespace calvorigne {

namespace {

const QColor windowBackground(224, 224, 224);

QFont arial(double points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

template <typename Widget>
Widget* place(Widget* widget, const QString& name, const QRect& geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// A caption label names something: window background, no border, centred text.
QLabel* captionLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = place(new QLabel(text, parent), name, geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// The one border of the window's labels: a single black line, whatever the text's colour.
void singleBorder(QLabel* label)
{
    label->setFrameStyle(QFrame::NoFrame);
    label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid black; }"));
}

// A value label shows a parameter: the platform's own label background and a thin border.
template <typename Label>
Label* framed(Label* label)
{
    singleBorder(label);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

ValueLabel* valueLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry,
                       const QFont& font)
{
    auto* label = framed(place(new ValueLabel(caption, parent), name, geometry));
    label->setFont(font);
    return label;
}

QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    return place(new QGroupBox(caption, parent), name, geometry);
}

} // namespace

Numero::Numero(Printer& printer, Dialogs& dialogs, const QString& settingsPath, QWidget* parent)
    : QWidget(parent), m_printer(printer), m_dialogs(dialogs), m_settingsPath(settingsPath)
{
    setObjectName(QStringLiteral("Numéro"));
    setWindowTitle(QStringLiteral("Calvorigne"));
    setWindowIcon(applicationIcon());
    // Laid out for Arial; where it is missing (Wine, some Linux systems) its metric twins.
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, windowBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    // The captions' boxes are fixed and were laid out for a narrow 8-point face.
    QFont captions(QStringLiteral("Arial"));
    captions.setPointSizeF(7.5);
    setFont(captions);
    resize(tw(7335), tw(8385));

    createControls();
    connectHandlers();
    cmd_print->setFocus();
}

void Numero::createControls()
{
    // The page drawing and its three values.
    Label1 = framed(captionLabel(this, "Label1", "X", twips(2520, 240, 375, 375)));
    Label1->setFont(arial(9.75, true));
    Lbl_X = valueLabel(this, "Lbl_X", "0", twips(3000, 240, 615, 375), arial(14.25));
    setTextColour(Lbl_X, QColor(0, 0, 255));
    Lbl_X->setToolTip("distance entre le bord gauche et le début du numéro (en mm)");
    Label2 = framed(captionLabel(this, "Label2", "Y", twips(4680, 1080, 375, 375)));
    Label2->setFont(arial(9.75, true));
    Lbl_Y = valueLabel(this, "Lbl_Y", "0", twips(5160, 1080, 615, 375), arial(14.25));
    setTextColour(Lbl_Y, QColor(0, 0, 255));
    Lbl_Y->setToolTip("distance entre le bord du haut de page et le n° (en mm)");
    Label3 = framed(captionLabel(this, "Label3", "E", twips(270, 2040, 375, 375)));
    Label3->setFont(arial(9.75, true));
    Lbl_E = valueLabel(this, "Lbl_E", "0", twips(750, 2040, 615, 375), arial(14.25));
    setTextColour(Lbl_E, QColor(255, 0, 0));
    Lbl_E->setToolTip("écart entre deux numéros (en mm)");

    Shape1 = new QObject(this);
    Shape1->setObjectName("Shape1");
    Shape1->setProperty("rect", QRect(2000, 1000, 2100, 2970));
    Line_X = new GuideLine("Line_X", Qt::SolidLine, this);
    Line_Y = new GuideLine("Line_Y", Qt::SolidLine, this);
    Line_E = new GuideLine("Line_E", Qt::DashLine, this);
    Line_X->setEnds(2000, 705, 2000, 3975);
    Line_Y->setEnds(1995, 1000, 4290, 1000);
    Line_E->setEnds(2025, 1005, 4320, 1005);

    // Margins.
    Frame4 = frame(this, "Frame4", "Marges", twips(4230, 2460, 2415, 1515));
    Label7 = captionLabel(Frame4, "Label7", "H", twips(195, 315, 255, 210));
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Lbl_H = valueLabel(Frame4, "Lbl_H", "1", twips(915, 300, 450, 345), arial(9.75, true));
    Lbl_H->setToolTip("marge du haut de page en mm");
    Label8 = captionLabel(Frame4, "Label8", "B", twips(210, 900, 285, 330));
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Lbl_B = valueLabel(Frame4, "Lbl_B", "1", twips(930, 855, 465, 345), arial(9.75, true));
    Lbl_B->setToolTip("marge du bas de page en mm");

    // Numbering.
    Frame2 = frame(this, "Frame2", " Numérotation", twips(30, 4020, 3525, 3855));
    Label4 = captionLabel(Frame2, "Label4", "Premier numéro", twips(150, 420, 1440, 225));
    Lbl_Debut = valueLabel(Frame2, "Lbl_Début", "0001", twips(360, 690, 660, 390), arial(9.75, true));
    Label5 = captionLabel(Frame2, "Label5", "Nbre de carnets", twips(1605, 435, 1470, 225));
    Lbl_NbCarnet = valueLabel(Frame2, "Lbl_NbCarnet", "012", twips(1830, 690, 450, 390), arial(9.75, true));
    Frame3 = frame(Frame2, "Frame3", "Type d'organisation", twips(105, 1335, 3195, 1170));
    Label6 = captionLabel(Frame2, "Label6", "Nombre de billets par colonne et page", twips(195, 2655, 1440, 405));
    Lbl_Count = valueLabel(Frame2, "Lbl_Count", "", twips(1755, 2610, 885, 510), arial(12));
    setTextColour(Lbl_Count, QColor(255, 0, 0));
    Label10 = captionLabel(Frame2, "Label10", "Dernier numéro", twips(75, 3270, 750, 405));
    Lbl_Der = valueLabel(Frame2, "Lbl_Der", "", twips(855, 3255, 900, 510), arial(12));
    setTextColour(Lbl_Der, QColor(0, 255, 0));
    Label11 = captionLabel(Frame2, "Label11", "page en cours", twips(1785, 3270, 750, 480));
    singleBorder(Label11);
    Lbl_page = valueLabel(Frame2, "Lbl_page", "", twips(2565, 3240, 735, 465), arial(12, true));

    opt_org[0] = place(new QRadioButton("Linéaire (simple feuillet)", Frame3), "opt_org(0)", twips(240, 300, 1935, 315));
    opt_org[1] = place(new QRadioButton("Folioté (par cahier)", Frame3), "opt_org(1)", twips(255, 570, 1710, 315));
    opt_org[0]->setChecked(true);
    Lbl_folio = valueLabel(Frame3, "Lbl_folio", "1", twips(2475, 555, 330, 405), arial(9.75, true));

    // Font and colour.
    Frame1 = frame(this, "Frame1", "Police", twips(3645, 4050, 3435, 3255));
    List1 = place(new QListWidget(Frame1), "List1", twips(90, 210, 2580, 1020));
    List1->setFont(arial(9.75));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Lbl_Size = valueLabel(Frame1, "Lbl_Size", "10", twips(2730, 240, 375, 405), arial(12, true));
    Chk_Bold = place(new QCheckBox("Gras", Frame1), "Chk_Bold", twips(120, 1275, 990, 375));
    const struct { int left; QColor colour; const char* name; } swatches[] = {
        {1320, QColor(0, 0, 0), "noir"},         {1530, QColor(255, 0, 0), "rouge"},
        {1740, QColor(255, 128, 0), "orange"},   {1950, QColor(255, 255, 0), "jaune"},
        {2160, QColor(0, 255, 0), "vert"},       {2385, QColor(0, 0, 255), "bleu"},
        {2580, QColor(255, 0, 255), "magenta"}};
    for (int i = 0; i < 7; ++i)
        Picture1[i] = place(new Swatch(i, swatches[i].colour, swatches[i].name, Frame1),
                            QStringLiteral("Picture1(%1)").arg(i), twips(swatches[i].left, 1350, 200, 200));
    Lbl_Try = valueLabel(Frame1, "Lbl_Try", "0001", twips(1020, 2205, 330, 255), font());
    Cmd_Try = place(new QPushButton("Voir la fonte", Frame1), "Cmd_Try", twips(2325, 2730, 1065, 435));
    Cmd_Try->hide();

    // Spinners, each beside its label.
    auto spinner = [](QWidget* parent, const char* name, ValueLabel* buddy, int lo, int hi, int step, QRect geometry) {
        return place(new UpDown(buddy, lo, hi, step, parent), name, geometry);
    };
    ud_x = spinner(this, "ud_x", Lbl_X, 0, 2100, 1, twips(3616, 240, 240, 375));
    ud_Y = spinner(this, "ud_Y", Lbl_Y, 1, 297, 1, twips(5776, 1080, 240, 375));
    UpDown1 = spinner(this, "UpDown1", Lbl_E, 1, 210, 1, twips(1350, 2040, 240, 375));
    UpDown6 = spinner(Frame4, "UpDown6", Lbl_H, 0, 10, 1, twips(1366, 300, 240, 345));
    UpDown5 = spinner(Frame4, "UpDown5", Lbl_B, 0, 10, 1, twips(1381, 855, 240, 345));
    UpDown3 = spinner(Frame2, "UpDown3", Lbl_Debut, 0, 9000, 1, twips(1021, 690, 240, 390));
    UpDown4 = spinner(Frame2, "UpDown4", Lbl_NbCarnet, 0, 9999, 1, twips(2281, 690, 240, 390));
    ud_folio = spinner(Frame3, "ud_folio", Lbl_folio, 0, 10, 1, twips(2805, 555, 240, 405));
    UpDown2 = spinner(Frame1, "UpDown2", Lbl_Size, 8, 50, 2, twips(3105, 240, 240, 405));
    UpDown7 = spinner(Frame1, "UpDown7", Lbl_Try, 0, 9999, 1, twips(3135, 2175, 240, 435));
    Lbl_folio->hide();
    ud_folio->hide();

    // The bottom row.
    Command2 = place(new WrappingButton("Propriètés Imprimante", this), "Command2", twips(3645, 7440, 930, 495));
    cmd_print = place(new QPushButton(this), "cmd_print", twips(5730, 7440, 600, 525));
    cmd_print->setIcon(printerIcon());
    cmd_print->setIconSize(QSize(24, 23));
    cmd_print->setToolTip("Imprimer les numéros");
    cmd_print->setAccessibleName("Imprimer les numéros");
    cmd_preview = place(new QPushButton(this), "cmd_preview", twips(4800, 7440, 600, 525));
    cmd_preview->setIcon(previewIcon());
    cmd_preview->setIconSize(QSize(24, 24));
    cmd_preview->setToolTip("Aperçu avant impression");
    cmd_preview->setAccessibleName("Aperçu avant impression");
    cmd_end = place(new QPushButton(this), "cmd_end", twips(6660, 7425, 570, 510));
    cmd_end->setIcon(exitIcon());
    cmd_end->setIconSize(QSize(28, 28));
    cmd_end->setToolTip("Quitter");
    cmd_end->setAccessibleName("Quitter");
    Text1 = place(new QLineEdit("Calvorigne : numéros de carnets de billets", this), "Text1",
                  twips(2040, 8040, 3495, 285));
    Text1->setCursorPosition(0);

    for (QWidget* caption : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                             static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame4)})
        caption->setFocusPolicy(Qt::NoFocus);
    QWidget* const tabOrder[] = {cmd_print, cmd_end, ud_x, ud_Y, UpDown1, UpDown2, List1, UpDown3,
                                 UpDown4, UpDown5, UpDown6, ud_folio, opt_org[0], opt_org[1], Chk_Bold,
                                 UpDown7, Picture1[0], Picture1[1], Picture1[2], Picture1[3],
                                 Picture1[4], Picture1[5], Picture1[6], Command2, cmd_preview, Text1};
    for (std::size_t k = 1; k < std::size(tabOrder); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);
}

void Numero::connectHandlers()
{
    connect(cmd_print, &QPushButton::clicked, this, &Numero::cmd_print_Click);
    connect(cmd_end, &QPushButton::clicked, this, &Numero::cmd_end_Click);
    connect(Command2, &QPushButton::clicked, this, &Numero::Command2_Click);
    connect(cmd_preview, &QPushButton::clicked, this, &Numero::cmd_preview_Click);
    // What the preview follows.
    for (ValueLabel* value : {Lbl_Debut, Lbl_NbCarnet, Lbl_folio, Lbl_X, Lbl_Y, Lbl_E, Lbl_H, Lbl_B, Lbl_Size})
        connect(value, &ValueLabel::changed, this, &Numero::parametersChanged);
    for (QRadioButton* option : opt_org)
        connect(option, &QRadioButton::toggled, this, &Numero::parametersChanged);
    connect(List1, &QListWidget::itemSelectionChanged, this, &Numero::parametersChanged);
    connect(Lbl_Debut, &ValueLabel::changed, this, &Numero::showLastRun);
    connect(Chk_Bold, &QCheckBox::stateChanged, this, &Numero::parametersChanged);
    connect(Lbl_Debut, &ValueLabel::doubleClicked, this, &Numero::Lbl_Debut_DblClick);
    connect(Lbl_Debut, &ValueLabel::changed, this, &Numero::Lbl_Debut_Change);
    connect(Lbl_Der, &ValueLabel::changed, this, &Numero::Lbl_Der_Change);
    connect(Lbl_NbCarnet, &ValueLabel::changed, this, &Numero::Lbl_NbCarnet_Change);
    connect(Lbl_Try, &ValueLabel::changed, this, &Numero::Lbl_Try_Change);
    for (int i = 0; i < 2; ++i)
        connect(opt_org[i], &QRadioButton::toggled, this, [this, i](bool on) {
            // The group is one tab stop: its selected button.
            opt_org[std::size_t(i)]->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
            if (on)
                opt_org_Click(i);
        });
    connect(Lbl_X, &ValueLabel::changed, this, &Numero::Lbl_X_Change);
    connect(Lbl_Y, &ValueLabel::changed, this, &Numero::Lbl_Y_Change);
    connect(Lbl_E, &ValueLabel::changed, this, &Numero::Lbl_E_Change);
    connect(Cmd_Try, &QPushButton::clicked, this, &Numero::Cmd_Try_Click);
    connect(List1, &QListWidget::itemSelectionChanged, this, &Numero::List1_Click);
    connect(List1->verticalScrollBar(), &QScrollBar::valueChanged, this, &Numero::List1_Scroll);
    connect(Lbl_Size, &ValueLabel::changed, this, &Numero::Lbl_Size_Change);
    connect(Chk_Bold, &QCheckBox::stateChanged, this, &Numero::Chk_Bold_Click);
    for (Swatch* swatch : Picture1) {
        connect(swatch, &Swatch::clicked, this, &Numero::Picture1_Click);
        connect(swatch, &Swatch::clicked, this, &Numero::parametersChanged); // once the ink is set
    }
    for (GuideLine* line : {Line_X, Line_Y, Line_E})
        connect(line, &GuideLine::moved, this, qOverload<>(&QWidget::update));
}

void Numero::Form_Load()
{
    for (const QString& name : m_printer.fontNames()) {
        // Kept in alphabetical order, whatever order the printer reports its fonts in.
        int row = 0;
        while (row < List1->count() && QString::compare(List1->item(row)->text(), name, Qt::CaseInsensitive) <= 0)
            ++row;
        List1->insertItem(row, name);
    }
    // The lines for X = Y = E = 0: 10 twips a millimetre from the page corner (2000, 1000).
    Line_X->setEnds(2000, 705, 2000, 3975);
    Line_Y->setEnds(1995, 1000, 4290, 1000);
    Line_E->setEnds(1995, 1000, 4290, 1000);
}

ValueLabel* Numero::label(Field field) const
{
    switch (field) {
    case Field::First: return Lbl_Debut;
    case Field::Booklets: return Lbl_NbCarnet;
    case Field::Folios: return Lbl_folio;
    case Field::X: return Lbl_X;
    case Field::Y: return Lbl_Y;
    case Field::E: return Lbl_E;
    case Field::Top: return Lbl_H;
    case Field::Bottom: return Lbl_B;
    case Field::Size: return Lbl_Size;
    case Field::Rows: return Lbl_Count;
    case Field::Last: return Lbl_Der;
    case Field::Page: return Lbl_page;
    }
    return nullptr;
}

QString Numero::caption(Field field) const
{
    return label(field)->caption();
}

void Numero::setCaption(Field field, const QString& text)
{
    ValueLabel* target = label(field);
    target->setCaption(text);
    // The run does not return to the event loop until it ends: its labels are painted at once,
    // as often as an eye can follow them, and otherwise when the progress window lets them.
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= 40) {
        target->repaint();
        m_sinceRepaint.restart();
    } else
        target->update();
}

QString Numero::fontName() const
{
    return list1Text();
}

bool Numero::bold() const
{
    return Chk_Bold->checkState() == Qt::Checked;
}

QString Numero::list1Text() const
{
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void Numero::setList1Text(const QString& name)
{
    const QList<QListWidgetItem*> found = List1->findItems(name, Qt::MatchFixedString);
    if (name.isEmpty() || found.isEmpty()) {
        List1->clearSelection();
        List1->setCurrentRow(-1);
        return;
    }
    List1->setCurrentItem(found.first());
    List1->scrollToItem(found.first());
}

void Numero::setTicketModel(const TicketModel& model)
{
    if (model == m_ticketModel)
        return;
    m_ticketModel = model;
    emit parametersChanged();
}

void Numero::cmd_preview_Click()
{
    if (!m_preview)
        m_preview = new PreviewWindow(*this);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void Numero::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.scale(1 / 15.0, 1 / 15.0); // the drawing is laid out in twips
    QPen pen(palette().color(QPalette::WindowText), 0);
    painter.setPen(pen);
    painter.setBrush(palette().color(QPalette::Base));
    const QRectF page = Shape1->property("rect").toRectF();
    painter.drawRect(page.adjusted(0, 0, -15, -15));
    // A line pushed far off the page stays where it is, but is not painted over the controls:
    // only the drawing's own area, where the lines stand for X = Y = E = 0, is painted.
    painter.setClipRect(QRectF(QPointF(1995, 705), QPointF(4320 + 15, 3975 + 15)));
    for (const GuideLine* line : {Line_X, Line_Y, Line_E}) {
        pen.setStyle(line->style());
        painter.setPen(pen);
        painter.drawLine(QLineF(line->x1(), line->y1(), line->x2(), line->y2()));
    }
}

} // namespace calvorigne
