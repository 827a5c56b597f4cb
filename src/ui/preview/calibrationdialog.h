// The printer's calibration, by ruler: print the calibration sheet on plain paper, measure
// three targets of each pass, and the program keeps the correction of that pass for the
// printer; or forget it.
#pragma once

#include "correction/scan.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace calvorigne {

class Numero;

class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    explicit CalibrationDialog(Numero& window, QWidget* parent = nullptr);

    QPushButton *printSheet, *save[2], *forget[2];
    // Per pass, each target's distance from the left edge, then from the top edge.
    QLineEdit* distances[2][6];
    QLabel* stored;
    // A scan of the printed sheet instead of a ruler: what was read, over the scan, and the
    // button that keeps it.
    QPushButton *openScan, *keepScan;
    QLabel *scanView, *scanWords;
    void readScanFile(const QString& path);

private:
    void savePass(int pass);
    // Keeps a pass's correction for the printer, or forgets it; says so when the settings file
    // would not take it.
    bool store(int pass, const std::optional<PrinterCorrection>& correction);
    void showStored();
    void showScan(const QImage& scan, const ScanReading& reading);

    Numero& m_window;
    ScanReading m_scan;
};

} // namespace calvorigne
