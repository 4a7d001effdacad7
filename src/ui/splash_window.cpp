#include "ui/splash_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "ui/about_dialog.h"
#include "ui/pictures.h"

CSplashWindow* CSplashWindow::current_ = nullptr;
bool CSplashWindow::enabled_ = true;

QString SplashVersionText(const QString& version)
{
    const auto lastDot = version.lastIndexOf(QLatin1Char('.'));
    return lastDot < 0 ? version : version.left(lastDot);
}

void CSplashWindow::EnableSplashScreen(bool enable)
{
    enabled_ = enable;
}

void CSplashWindow::ShowSplashScreen(QWidget* owner)
{
    if (!enabled_ || current_)
        return;
    current_ = new CSplashWindow(owner);
    current_->show();
    current_->raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    current_->repaint();
}

CSplashWindow* CSplashWindow::Current()
{
    return current_;
}

CSplashWindow::CSplashWindow(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint),
      picture_(SplashPicture()),
      owner_(owner)
{
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCursor(Qt::ArrowCursor);
    setFixedSize(picture_.size());
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Every input of the application passes here first while the splash is up.
    qApp->installEventFilter(this);
    QTimer::singleShot(splashDisplayMs, this, &CSplashWindow::HideSplashScreen);
}

CSplashWindow::~CSplashWindow()
{
    qApp->removeEventFilter(this);
    if (current_ == this)
        current_ = nullptr;
}

void CSplashWindow::HideSplashScreen()
{
    qApp->removeEventFilter(this);
    if (current_ == this)
        current_ = nullptr;
    hide();
    if (owner_)
        owner_->update();
    deleteLater();
}

bool CSplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim the key so no shortcut fires; the key press that follows hides the splash.
        event->accept();
        return true;
    case QEvent::KeyPress:
        HideSplashScreen();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton) {
            HideSplashScreen();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CSplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(14);
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    painter.setPen(QColor(0, 128, 128));
    painter.drawText(QRect(16, picture_.height() - 35, picture_.width() - 32, 30),
                     Qt::AlignLeft | Qt::AlignTop,
                     SplashVersionText(QString::fromLatin1(aboutVersionText)));
}
