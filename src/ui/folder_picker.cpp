#include "ui/folder_picker.h"

#include <QDir>
#include <QLineEdit>

#include "session/dialog_checks.h"
#include "ui/dialog_fields.h"

CFolderPicker::CFolderPicker(QWidget* parent, const QString& title, const QString& startFolder)
    : QFileDialog(parent, title)
{
    setObjectName(QStringLiteral("folderPicker"));
    // The widget-based dialog behaves the same on every desktop and under test.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ShowDirsOnly, true);
    setOption(QFileDialog::ReadOnly, true);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::FileName, QStringLiteral("Directory:"));
    setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
    setDirectory(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
}

QString CFolderPicker::ChosenFolder() const
{
    const QStringList chosen = selectedFiles();
    const QString folder = chosen.isEmpty() ? directory().absolutePath() : chosen.first();
    return QString::fromStdString(WithTrailingSlash(folder.toStdString()));
}

void PickFolderInto(QWidget* parent, const QString& title, QLineEdit* field)
{
    CFolderPicker picker(parent, title, field->text());
    if (picker.exec() == QDialog::Accepted)
        SetFieldText(field, picker.ChosenFolder());
}
