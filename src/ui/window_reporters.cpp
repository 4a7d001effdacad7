#include "ui/window_reporters.h"

#include <QApplication>
#include <QMessageBox>

#include "report/reporter.h"
#include "session/command_table.h"

void InstallWindowReporters()
{
    SetMessageBoxHandler([](const std::string& text) {
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(applicationTitle),
                        QString::fromUtf8(text.c_str()), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setObjectName(QStringLiteral("messageBox"));
        box.exec();
    });
    SetQuestionHandler([](const std::string& text) {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(applicationTitle),
                        QString::fromUtf8(text.c_str()), QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        box.setObjectName(QStringLiteral("questionBox"));
        return box.exec() == QMessageBox::Yes;
    });
}
