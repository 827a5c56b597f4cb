// A small form of the raffle window: its fields, « Enregistrer » and « Annuler ». « Enregistrer »
// runs the action; refused, the words are said and the form stays open with all that was typed.
#pragma once

#include "platform/dialogs.h"
#include "raffle/types.h"

#include <QDialog>
#include <functional>

class QFormLayout;
class QComboBox;
class QDateEdit;
class QLineEdit;

namespace calvorigne {

// Where a paper is offered to be saved: the user's documents, under that name made safe.
QString suggestedPath(const QString& name, const QString& extension);

class Form : public QDialog {
    Q_OBJECT
public:
    Form(const QString& title, const QString& intro, Dialogs& dialogs, QWidget* parent);

    QLineEdit* addText(const QString& label, const QString& value = {}, const QString& hint = {});
    QComboBox* addChoice(const QString& label, const QStringList& items);
    QDateEdit* addDate(const QString& label, const QDate& value);
    // What « Enregistrer » does; done runs once it has.
    void onSave(std::function<Result()> save, std::function<void(const Result&)> done = {});
    // Presses « Enregistrer », as the user does.
    void save();

private:
    QFormLayout* m_fields;
    Dialogs& m_dialogs;
    std::function<Result()> m_save;
    std::function<void(const Result&)> m_done;
};

} // namespace calvorigne
