// A window as the program builds it, with a recording printer, scripted dialogs and its own
// settings file in a temporary folder.
#pragma once

#include "app/startup.h"
#include "fakes.h"
#include "ui/window/numero.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace calvorigne::testing {

struct WindowFixture {
    QTemporaryDir dir;
    QString settingsPath = dir.filePath("Calvorigne.ini");
    QStringList journal;
    RecordingPrinter printer{&journal};
    ScriptedDialogs dialogs{&journal};
    std::unique_ptr<Numero> window;

    void writeSettingsFile(const QByteArray& bytes)
    {
        QFile file(settingsPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    // Builds the window and runs the start-up on it.
    Numero& start()
    {
        window = std::make_unique<Numero>(printer, dialogs, settingsPath);
        Main(*window);
        return *window;
    }
};

} // namespace calvorigne::testing
