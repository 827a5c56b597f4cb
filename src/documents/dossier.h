// « Dossier pour la mairie »: what the request for the mayor's authorisation asks, filled from
// the raffle and ready to copy onto the form, with the papers to attach and the warnings.
#pragma once

#include "documents/law.h"

namespace calvorigne {

// Why the file cannot be made: the organiser's name is missing. Empty when it can.
QString dossierRefusal(const RaffleFacts& facts);
QString dossierHtml(const RaffleFacts& facts);
// The file as a PDF: why not, empty when written.
QString writeDossier(const RaffleFacts& facts, const QString& path);

// Each paper the request goes with, and whether Calvorigne writes it.
struct Attachment {
    QString name;
    QString from; // the paper of Calvorigne's that supplies it; empty when the association does
};
std::vector<Attachment> attachments(const RaffleFacts& facts);

} // namespace calvorigne
