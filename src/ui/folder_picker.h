// The folder picker behind the Browse buttons that choose a PC directory: a file dialog that
// shows directories only, labels its name box "Directory:" and its accept button "&Open", and
// hands back the chosen folder with a trailing "/".
#pragma once

#include <QFileDialog>

class QLineEdit;

constexpr const char* moduleFolderTitle = "Select Module Directory";
constexpr const char* destinationFolderTitle = "Select Destination Directory from PC";

class CFolderPicker : public QFileDialog {
    Q_OBJECT
public:
    // Starts in startFolder, or in the process's current directory when that is empty.
    CFolderPicker(QWidget* parent, const QString& title, const QString& startFolder);

    // The folder chosen, with a trailing "/".
    QString ChosenFolder() const;
};

// Runs the picker from field's current value; on Open writes the chosen folder into field, on
// Cancel leaves it as it was.
void PickFolderInto(QWidget* parent, const QString& title, QLineEdit* field);
