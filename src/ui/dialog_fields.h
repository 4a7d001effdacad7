// Building blocks of the dialogs: length-limited fields, labels that give their field a
// mnemonic, sizes in dialog units, and the Browse helpers.
#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QLabel;
class QLineEdit;
class QWidget;

constexpr const char* dialogCaption = "VANT Ferrant";

// A field named objectName; maxLength 0 leaves its length free.
QLineEdit* MakeField(const char* objectName, int maxLength, QWidget* parent);

// A label whose "&" mnemonic moves the focus to buddy.
QLabel* MakeLabel(const char* text, QWidget* buddy, QWidget* parent);

// Sets a field's text without cutting it. The length limit restrains what the user types; a
// longer text put in by the program (a preset, a chosen folder) is kept whole, as a cut path
// would name the wrong file or directory.
void SetFieldText(QLineEdit* field, const QString& text);

// Sizes a dialog from dialog units (a quarter of the average character width, an eighth of the
// character height), the unit the window layouts are given in.
void SetDialogUnitsSize(QDialog* dialog, int widthUnits, int heightUnits);

// OK and Cancel at the bottom of layout, wired to the dialog's accept and reject.
void AddOkCancel(QDialog* dialog, QBoxLayout* layout);

// Opens the file browser ("All Files") and writes the chosen file's full path into field.
void BrowseForFile(QWidget* parent, QLineEdit* field);
