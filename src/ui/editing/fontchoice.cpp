// The font sample follows the font name, size, bold and ink colour chosen in "Police".
#include "core/numbers.h"
#include "ui/window/numero.h"

#include <QListWidget>

namespace calvorigne {

namespace {

// Above this the sample would cover the window; a size that cannot be drawn keeps the last one.
constexpr double largestSampleSize = 1000;

QColor toQColor(std::uint32_t colour)
{
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

} // namespace

void Numero::Cmd_Try_Click()
{
    QFont font = Lbl_Try->font();
    const QString name = list1Text();
    font.setFamily(name.isEmpty() ? this->font().family() : name);
    const double size = readNumber(Lbl_Size->caption());
    if (size > 0 && size <= largestSampleSize)
        m_sampleSize = size;
    if (m_sampleSize > 0)
        font.setPointSizeF(m_sampleSize);
    font.setBold(bold());
    font.setItalic(false);
    Lbl_Try->setFont(font);
    setSampleColour(m_inkColour);
    Lbl_Try->adjustSize();
}

void Numero::List1_Click()
{
    if (!list1Text().isEmpty())
        m_storedFontName.clear();
    Cmd_Try->click();
}

QString Numero::savedFontName() const
{
    const QString chosen = list1Text();
    return chosen.isEmpty() ? m_storedFontName : chosen;
}

void Numero::List1_Scroll()
{
    Cmd_Try->click();
}

void Numero::Lbl_Size_Change()
{
    Cmd_Try->click();
}

void Numero::Chk_Bold_Click()
{
    Cmd_Try->click();
}

void Numero::Picture1_Click(int Index)
{
    const QColor colour = Picture1.at(std::size_t(Index))->palette().color(QPalette::Window);
    m_inkColour = colourValue(colour.red(), colour.green(), colour.blue());
    Cmd_Try->click();
}

std::uint32_t Numero::sampleColour() const
{
    const QColor colour = Lbl_Try->palette().color(QPalette::WindowText);
    return colourValue(colour.red(), colour.green(), colour.blue());
}

void Numero::setSampleColour(std::uint32_t colour)
{
    QPalette palette = Lbl_Try->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    Lbl_Try->setPalette(palette);
}

} // namespace calvorigne
