#include "ui/dialog_fields.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

QLineEdit* MakeField(const char* objectName, int maxLength, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    return field;
}

QLabel* MakeLabel(const char* text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

void SetFieldText(QLineEdit* field, const QString& text)
{
    if (field->maxLength() < text.size())
        field->setMaxLength(static_cast<int>(text.size()));
    field->setText(text);
}

void SetDialogUnitsSize(QDialog* dialog, int widthUnits, int heightUnits)
{
    const QFontMetrics metrics(dialog->font());
    const int width = widthUnits * metrics.averageCharWidth() / 4;
    const int height = heightUnits * metrics.height() / 8;
    dialog->resize(dialog->sizeHint().expandedTo(QSize(width, height)));
}

void AddOkCancel(QDialog* dialog, QBoxLayout* layout)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

void BrowseForFile(QWidget* parent, QLineEdit* field)
{
    // "*" rather than "*.*": on this platform many files have no extension at all.
    const QString chosen = QFileDialog::getOpenFileName(
        parent, QString(), field->text(), QStringLiteral("All Files (*)"), nullptr,
        QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    if (!chosen.isEmpty())
        SetFieldText(field, chosen);
}
