// The numbering labels keep their zero-padded form, the first number can be typed in, and
// the organisation buttons show or hide the folio count.
#include "core/numbers.h"
#include "platform/dialogs.h"
#include "ui/window/numero.h"

#include <cmath>

namespace calvorigne {

void Numero::reformat(ValueLabel* label, const QString& pattern)
{
    // Writing the padded text raises one more change, which finds it already padded.
    const double value = readNumber(label->caption());
    if (std::isfinite(value))
        label->setCaption(padNumber(value, pattern));
}

void Numero::Lbl_Debut_Change()
{
    reformat(Lbl_Debut, QStringLiteral("0000"));
}

void Numero::Lbl_Der_Change()
{
    reformat(Lbl_Der, QStringLiteral("0000"));
}

void Numero::Lbl_NbCarnet_Change()
{
    reformat(Lbl_NbCarnet, QStringLiteral("000"));
}

void Numero::Lbl_Try_Change()
{
    reformat(Lbl_Try, QStringLiteral("0000"));
    Lbl_Try->adjustSize();
}

void Numero::Lbl_Debut_DblClick()
{
    const QString answer = m_dialogs.textInput(QStringLiteral("Entrez le premier numéro :")).value_or(QString());
    const double first = readNumber(answer);
    if (!std::isfinite(first)) {
        m_dialogs.message(QStringLiteral("Ce nombre est trop grand pour être un numéro de billet."));
        return;
    }
    Lbl_Debut->setCaption(padNumber(first, QStringLiteral("0000")));
}

void Numero::opt_org_Click(int Index)
{
    if (Index != 0 && Index != 1)
        return;
    const bool foliated = Index == 1;
    Lbl_folio->setVisible(foliated);
    ud_folio->setVisible(foliated);
}

} // namespace calvorigne
