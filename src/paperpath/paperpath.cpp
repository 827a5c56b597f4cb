#include "paperpath.h"

#include <QLocale>

namespace calvorigne {

namespace {

// Which way the face to print lies in the tray, in the words and keys alike.
QString faceWord(Face face)
{
    return face == Face::Up ? QStringLiteral("haut") : QStringLiteral("bas");
}

// The settings file's name of a movement.
QString movementName(Motion movement)
{
    static const char* const names[] = {"aucun", "demi-tour", "livre", "bloc-notes"};
    return QString::fromLatin1(names[int(movement)]);
}

} // namespace

QString movementWords(Motion movement)
{
    switch (movement) {
    case Motion::None:
        return QStringLiteral("reprenez la pile telle qu'elle est sortie et remettez-la dans le bac sans la tourner ni la "
                              "retourner.");
    case Motion::HalfTurn:
        return QStringLiteral("reprenez la pile telle qu'elle est sortie, sans la retourner, et faites-lui faire un "
                              "demi-tour à plat avant de la remettre dans le bac.");
    case Motion::BookFlip:
        return QStringLiteral("reprenez la pile telle qu'elle est sortie et retournez-la comme la page d'un livre, par un "
                              "bord de côté, avant de la remettre dans le bac.");
    case Motion::PadFlip:
        return QStringLiteral("reprenez la pile telle qu'elle est sortie et retournez-la comme la page d'un bloc-notes, par "
                              "le bord tourné vers l'imprimante, avant de la remettre dans le bac.");
    }
    return {};
}

QString turnWords(const QString& printer, Motion movement)
{
    return QStringLiteral("Pour l'imprimante « %1 » : %2").arg(printer, movementWords(movement));
}

QString loadWords(int sheets, Face face)
{
    const QString count = sheets <= 0 ? QStringLiteral("les feuilles")
                          : QStringLiteral("%1 feuille%2").arg(QLocale(QLocale::French).toString(sheets),
                                                                sheets > 1 ? QStringLiteral("s") : QString());
    return QStringLiteral("Chargez %1, face à imprimer vers le %2, le haut des billets vers l'imprimante")
        .arg(count, faceWord(face));
}

QString pathWords(const PaperPath& path)
{
    static const char* const said[] = {"sans la tourner", "demi-tour à plat", "retournée comme un livre",
                                       "retournée comme un bloc-notes"};
    return QStringLiteral("pile %1, passage 2 %2, face à imprimer vers le %3")
        .arg(QString::fromUtf8(said[int(path.movement)]),
             path.lastPageFirst ? QStringLiteral("par la dernière page") : QStringLiteral("dans l'ordre"),
             faceWord(path.face));
}

PaperPath guessedPath(bool printedFaceUp)
{
    // Face up: a straight path, which moves the sheet without turning it; the last sheet out
    // lies on top. Face down: a C-shaped path, which turns the sheet over end for end and so
    // stacks the first sheet out at the top once the stack is flipped. Both print the face
    // that lies up in the tray, and trays feed their top sheet first.
    const Motion path = printedFaceUp ? Motion::None : Motion::PadFlip;
    const Motion movement = Motion::HalfTurn * path;
    return {movement, !swapsFaces(movement), Face::Up};
}

PaperPath learnedPath(const PaperPath& held, const StackAnswers& answers)
{
    // Pass 2 landed where the held movement after the path puts it.
    static const Motion landed[] = {Motion::HalfTurn, Motion::None, Motion::PadFlip, Motion::BookFlip};
    const Motion path = held.movement * landed[int(answers.landing)];
    PaperPath learned;
    learned.movement = Motion::HalfTurn * path;
    // Whether the tray fed first the sheet that pass 1 fed first, and so whether it feeds its top.
    const bool sameFirstSheet = answers.pairedInOrder != held.lastPageFirst;
    const bool feedsTop = sameFirstSheet == swapsFaces(held.movement);
    learned.lastPageFirst = swapsFaces(learned.movement) != feedsTop;
    learned.face = answers.crossOnPrinted ? Face::Up : Face::Down;
    return learned;
}

PathKeys pathKeys(const PaperPath& path)
{
    return {movementName(path.movement), path.lastPageFirst ? QStringLiteral("inverse") : QStringLiteral("normal"),
            faceWord(path.face)};
}

std::optional<PaperPath> pathFromKeys(const PathKeys& keys)
{
    PaperPath path;
    int movement = 0;
    while (movement < 4 && keys.movement.compare(movementName(Motion(movement)), Qt::CaseInsensitive) != 0)
        ++movement;
    if (movement == 4)
        return std::nullopt;
    path.movement = Motion(movement);
    if (keys.order.compare(QStringLiteral("inverse"), Qt::CaseInsensitive) == 0)
        path.lastPageFirst = true;
    else if (keys.order.compare(QStringLiteral("normal"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (keys.face.compare(faceWord(Face::Up), Qt::CaseInsensitive) == 0)
        path.face = Face::Up;
    else if (keys.face.compare(faceWord(Face::Down), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return path;
}

} // namespace calvorigne
