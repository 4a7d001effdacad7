// Helpers for driving widgets in tests: waiting for a condition with a deadline, acting on a
// modal dialog once it is up, and capturing what the reporter shows.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "report/reporter.h"

// Lets assertions print Qt strings and string lists.
inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text;
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{';
    for (const QString& text : texts)
        *out << text << ' ';
    *out << '}';
}

// Processes events until done() holds or the deadline passes; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int deadlineMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > deadlineMs)
            return done();
        QTest::qWait(5);
    }
    return true;
}

// Once a modal widget of type T is active, runs act on it. When none appears before the
// deadline the test fails and whatever modal widget is up is rejected, so exec() returns.
template <class T>
void WhenModal(std::function<void(T*)> act, int deadlineMs = 5000)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, clock, deadlineMs, poll] {
        if (T* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(widget);
            *poll = nullptr;  // break the self-reference
            return;
        }
        if (clock->elapsed() > deadlineMs) {
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className() << " appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(5, [poll] {
            if (*poll)
                (*poll)();
        });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

// Routes message boxes and questions to lists for the lifetime of the object.
class CReportCapture {
public:
    explicit CReportCapture(bool answer = true)
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler([this](const std::string& text) { messages.push_back(text); });
        SetQuestionHandler([this, answer](const std::string& text) {
            questions.push_back(text);
            return answer;
        });
    }
    ~CReportCapture()
    {
        SetMessageBoxHandler({});
        SetQuestionHandler({});
    }
    CReportCapture(const CReportCapture&) = delete;
    CReportCapture& operator=(const CReportCapture&) = delete;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
};

template <class T>
T* FindChild(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}
