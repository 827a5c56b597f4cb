// The paper path of a printer, and what the user must do to the stack between the two passes.
//
// A sheet lying in a tray or a bin is in one of four poses: which face is up, which end points
// to the printer. Every motion between poses is one of four rigid motions, and two motions
// make a third (each undoes itself): the printer's path moves a sheet from its tray pose to
// its output pose, the user moves the whole stack back into the tray. Pass 2 needs each sheet
// on the same face, its other end first: the user's movement is the half turn composed with the
// path. A flip also turns the stack over, so the order of pass 2 follows from the movement and
// from which sheet the tray feeds first. Neither CUPS nor Windows can tell what a path is: a
// stack test on plain paper tells it once, from what the user sees on three sheets.
#pragma once

#include <QString>
#include <optional>

namespace calvorigne {

// Bit 0 swaps the ends, bit 1 the faces: composing two motions is their exclusive or.
enum class Motion { None = 0, HalfTurn = 1, BookFlip = 2, PadFlip = 3 };

inline Motion operator*(Motion a, Motion b)
{
    return Motion(int(a) ^ int(b));
}
// A flip, which also turns the stack over.
inline bool swapsFaces(Motion m)
{
    return int(m) & 2;
}

enum class Face { Up, Down };

struct PaperPath {
    Motion movement = Motion::HalfTurn; // what the user does to the stack between the passes
    bool lastPageFirst = false;         // pass 2 printed last page first
    Face face = Face::Down;             // the face the printer prints, as the sheet lies in the tray

    bool operator==(const PaperPath&) const = default;
};

// The movement between the passes in plain words, to follow a colon (« reprenez la pile… »).
QString movementWords(Motion movement);
// The line the turn prompt adds to its designed one: what that line means for this printer.
QString turnWords(const QString& printer, Motion movement);
// How to load pass 1: « Chargez 20 feuilles, face à imprimer vers le bas, le haut des billets
// vers l'imprimante »; without a count for 0.
QString loadWords(int sheets, Face face);
// The path in a few words, for the journal.
QString pathWords(const PaperPath& path);

// The most common path for printers whose sheets come out that way, for a first stack test.
PaperPath guessedPath(bool printedFaceUp);

// What the user saw after a stack test printed with the path held.
enum class Landing { SameFaceOtherEnd, SameFaceSameEnd, BackFaceOtherEnd, BackFaceSameEnd };
struct StackAnswers {
    Landing landing;        // where pass 2's number landed, against pass 1's
    bool pairedInOrder;     // sheet numbers paired 1 with 1, not 1 with 3
    bool crossOnPrinted;    // the cross pencilled on the tray's upper face is on the printed face
};
// The path that answers say is right for this printer.
PaperPath learnedPath(const PaperPath& held, const StackAnswers& answers);

// The settings file's form: three keys, read back as nothing learned unless all three make sense.
struct PathKeys {
    QString movement, order, face;
};
PathKeys pathKeys(const PaperPath& path);
std::optional<PaperPath> pathFromKeys(const PathKeys& keys);

} // namespace calvorigne
