// Start-up: the window is loaded hidden, the stored parameters are pushed into its controls
// (each change running its handler, so the drawing and the sample follow), then it is shown.
#pragma once

class QCoreApplication;

namespace calvorigne {

class Numero;

// Qt's own French texts for the buttons of standard dialogs ("Oui", "Non", "Annuler").
void installFrenchTranslations(QCoreApplication& application);

// Loads the window, restores the parameters from its settings file and shows it.
void Main(Numero& window);

} // namespace calvorigne
