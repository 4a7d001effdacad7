// The splash window shown while the main window is created. It hides when its 750 ms timer
// fires or at the first key or mouse-button press anywhere in the application; that press is
// consumed, so it reaches no other window.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

constexpr int splashDisplayMs = 750;

// "Version 1.0.2.5" cut before its last "." ("Version 1.0.2").
QString SplashVersionText(const QString& version);

class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    // Whether the splash may be shown at all; set once at start-up.
    static void EnableSplashScreen(bool enable);

    // Shows the splash over owner unless it is disabled or already shown, and paints it at once.
    static void ShowSplashScreen(QWidget* owner);

    // The splash on screen, or nullptr.
    static CSplashWindow* Current();

    // Hides and destroys the splash and repaints its owner.
    void HideSplashScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit CSplashWindow(QWidget* owner);
    ~CSplashWindow() override;

    QPixmap picture_;
    QWidget* owner_;
    static CSplashWindow* current_;
    static bool enabled_;
};
