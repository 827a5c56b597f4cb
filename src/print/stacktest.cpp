#include "stacktest.h"

#include "paperpath/pictures.h"
#include "paperpath/store.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "print/printrun.h"

namespace calvorigne {

namespace {

std::optional<StackAnswers> ask(Dialogs& dialogs)
{
    const std::optional<int> landing = dialogs.pictureChoice(
        QStringLiteral("Regardez les trois feuilles. Où le numéro du passage 2 est-il tombé, par rapport à celui du "
                       "passage 1 (dont la flèche montre le haut de la feuille) ?\nDans les images : en bleu le numéro du "
                       "passage 1 et sa flèche, en rouge celui du passage 2 ; à droite, en pointillés, le dos de la "
                       "feuille."),
        {{landingPicture(Landing::SameFaceOtherEnd), QStringLiteral("Même face, à l'autre bout")},
         {landingPicture(Landing::SameFaceSameEnd), QStringLiteral("Même face, au même bout")},
         {landingPicture(Landing::BackFaceOtherEnd), QStringLiteral("Au dos, à l'autre bout")},
         {landingPicture(Landing::BackFaceSameEnd), QStringLiteral("Au dos, au même bout")}});
    if (!landing)
        return std::nullopt;
    const std::optional<int> paired = dialogs.pictureChoice(
        QStringLiteral("Sur chaque feuille, quels numéros des deux passages vont ensemble ?\nDans les images, les points "
                       "comptent : un point pour 1, deux pour 2, trois pour 3 ; en bleu le passage 1, en rouge le passage 2."),
        {{pairingPicture(true), QStringLiteral("1 avec 1, 2 avec 2, 3 avec 3")},
         {pairingPicture(false), QStringLiteral("1 avec 3, 2 avec 2, 3 avec 1")}});
    if (!paired)
        return std::nullopt;
    const std::optional<int> cross = dialogs.pictureChoice(
        QStringLiteral("La croix tracée au crayon est-elle sur la face imprimée au passage 1 ?"),
        {{crossPicture(true), QStringLiteral("Oui, sur la face imprimée")},
         {crossPicture(false), QStringLiteral("Non, sur l'autre face")}});
    if (!cross)
        return std::nullopt;
    return StackAnswers{Landing(*landing), *paired == 0, *cross == 0};
}

} // namespace

void runStackTest(PrintRun& run, const Printer& printer, Dialogs& dialogs, const QString& settingsPath)
{
    const QString name = printer.name();
    if (name.isEmpty() || printer.writesFiles())
        return dialogs.message(QStringLiteral("L'essai de retournement se fait sur papier : choisissez d'abord une "
                                              "imprimante."));
    std::optional<PaperPath> held = storedPath(settingsPath, name);
    if (!held) {
        // A first guess, from what every user can see.
        const std::optional<int> out = dialogs.pictureChoice(
            QStringLiteral("Les feuilles sortent-elles face imprimée dessus ou dessous ?\nPour le savoir, imprimez une page "
                           "de n'importe quel document : si son texte se voit sur la feuille sortie sans la retourner, "
                           "c'est « Dessus »."),
            {{outputPicture(true), QStringLiteral("Dessus")}, {outputPicture(false), QStringLiteral("Dessous")}});
        held = out ? guessedPath(*out == 0) : PaperPath();
    }
    for (;;) {
        if (dialogs.choice(QStringLiteral("Essai de retournement sur l'imprimante « %1 » : posez 3 feuilles de papier blanc "
                                          "dans le bac, puis tracez au crayon une croix sur le dessus de la feuille du "
                                          "dessus.")
                               .arg(name),
                           {QStringLiteral("Imprimer l'essai"), QStringLiteral("Annuler")}, 1, 0)
            != 0)
            return;
        if (!run.stackTest(*held))
            return dialogs.message(QStringLiteral("L'essai de retournement n'est pas allé à son terme : rien n'a été retenu "
                                                  "pour l'imprimante « %1 ».")
                                       .arg(name));
        const std::optional<StackAnswers> answers = ask(dialogs);
        if (!answers)
            return dialogs.message(QStringLiteral("Rien n'a été retenu pour l'imprimante « %1 » : refaites l'essai quand "
                                                  "les trois feuilles seront sous vos yeux.")
                                       .arg(name));
        const PaperPath learned = learnedPath(*held, *answers);
        QString failure;
        if (!storePath(settingsPath, name, learned, &failure))
            return dialogs.message(QStringLiteral("Le retournement de l'imprimante « %1 » n'a pas pu être retenu : %2.")
                                       .arg(name, failure));
        QString movement = movementWords(learned.movement);
        movement[0] = movement[0].toUpper();
        const QString how = movement + u'\n'
                            + (learned.lastPageFirst ? QStringLiteral("Le passage 2 s'imprimera en commençant par sa dernière page.")
                                                     : QStringLiteral("Le passage 2 s'imprimera dans l'ordre."))
                            + u'\n' + loadWords(0, learned.face)
                            + u'.';
        if (answers->landing == Landing::SameFaceOtherEnd && answers->pairedInOrder && learned == *held)
            return dialogs.message(QStringLiteral("L'essai confirme le retournement de l'imprimante « %1 » :\n%2").arg(name, how));
        // Said plainly when the first guess, or what was kept, was wrong.
        const QString wrong = learned == *held ? QString()
                                               : QStringLiteral("Ce n'est pas le retournement supposé (%1).\n").arg(pathWords(*held));
        if (!dialogs.question(QStringLiteral("%1Retenu pour l'imprimante « %2 » :\n%3\n\nRefaire l'essai avec ces réglages pour "
                                             "les vérifier ?")
                                  .arg(wrong, name, how)))
            return;
        held = learned;
    }
}

} // namespace calvorigne
