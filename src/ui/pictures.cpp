#include "ui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "session/command_ids.h"

namespace {

const QColor ink(40, 40, 40);
const QColor teal(0, 128, 128);
const QColor folderYellow(232, 196, 84);

QPixmap Blank(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A handset outline: body, screen and keypad, fitted into rect.
void DrawHandset(QPainter& painter, const QRectF& rect, const QColor& body)
{
    painter.setPen(QPen(ink, rect.width() / 14.0));
    painter.setBrush(body);
    painter.drawRoundedRect(rect, rect.width() / 5.0, rect.width() / 5.0);
    const QRectF screen(rect.left() + rect.width() * 0.2, rect.top() + rect.height() * 0.12,
                        rect.width() * 0.6, rect.height() * 0.32);
    painter.setBrush(QColor(190, 230, 230));
    painter.drawRect(screen);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double x = rect.left() + rect.width() * (0.25 + 0.25 * column);
            const double y = rect.top() + rect.height() * (0.58 + 0.12 * row);
            painter.drawEllipse(QPointF(x, y), rect.width() / 16.0, rect.width() / 16.0);
        }
    }
}

void DrawFolder(QPainter& painter, bool open)
{
    painter.setPen(QPen(QColor(150, 110, 20), 1));
    painter.setBrush(folderYellow.darker(110));
    painter.drawRect(QRectF(1.5, 3.5, 5, 2));
    painter.drawRect(QRectF(1.5, 4.5, 13, 9));
    painter.setBrush(folderYellow);
    if (open) {
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(13.5, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        painter.drawPath(flap);
    } else {
        painter.drawRect(QRectF(1.5, 6.5, 13, 7));
    }
}

void DrawFile(QPainter& painter)
{
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(page);
    painter.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    painter.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = 7.5; y < 13; y += 2)
        painter.drawLine(QPointF(5, y), QPointF(11, y));
}

void DrawViewGlyph(QPainter& painter, int commandId)
{
    painter.setPen(QPen(ink, 1));
    painter.setBrush(teal);
    switch (commandId) {
    case cmdViewLargeIcons:
        painter.drawRect(QRectF(1.5, 1.5, 5, 5));
        painter.drawRect(QRectF(9.5, 1.5, 5, 5));
        painter.drawRect(QRectF(1.5, 8.5, 5, 5));
        painter.drawRect(QRectF(9.5, 8.5, 5, 5));
        break;
    case cmdViewSmallIcons:
        for (int row = 0; row < 3; ++row) {
            painter.drawRect(QRectF(1.5, 1.5 + 4.5 * row, 2, 2));
            painter.drawLine(QPointF(5, 2.5 + 4.5 * row), QPointF(7, 2.5 + 4.5 * row));
            painter.drawRect(QRectF(9.5, 1.5 + 4.5 * row, 2, 2));
            painter.drawLine(QPointF(13, 2.5 + 4.5 * row), QPointF(15, 2.5 + 4.5 * row));
        }
        break;
    case cmdViewList:
        for (int row = 0; row < 4; ++row) {
            painter.drawRect(QRectF(1.5, 1.5 + 3.5 * row, 2, 2));
            painter.drawLine(QPointF(5, 2.5 + 3.5 * row), QPointF(14, 2.5 + 3.5 * row));
        }
        break;
    case cmdViewDetails:
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0.5, 0.5, 15, 13));
        painter.drawLine(QPointF(0.5, 3.5), QPointF(15.5, 3.5));
        for (double y = 6.5; y < 13; y += 3)
            painter.drawLine(QPointF(2, y), QPointF(14, y));
        painter.drawLine(QPointF(6.5, 0.5), QPointF(6.5, 13.5));
        break;
    default:
        break;
    }
}

QPixmap ToolbarPixmap(int commandId)
{
    QPixmap pixmap = Blank(16, 15);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (commandId) {
    case cmdDeviceConnect: {
        // A plug meeting a socket.
        painter.setPen(QPen(ink, 1.5));
        painter.drawLine(QPointF(1, 7.5), QPointF(5, 7.5));
        painter.setBrush(teal);
        painter.drawRoundedRect(QRectF(5, 4, 4, 7), 1, 1);
        painter.drawLine(QPointF(9, 5.5), QPointF(11, 5.5));
        painter.drawLine(QPointF(9, 9.5), QPointF(11, 9.5));
        painter.setBrush(QColor(200, 200, 200));
        painter.drawRect(QRectF(11.5, 3, 3.5, 9));
        break;
    }
    case cmdDeviceReset: {
        // A circular arrow.
        painter.setPen(QPen(teal.darker(120), 2));
        painter.drawArc(QRectF(2.5, 2, 11, 11), 60 * 16, 290 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(teal.darker(120));
        QPainterPath head;
        head.moveTo(9, 0);
        head.lineTo(13.5, 3);
        head.lineTo(9, 6);
        head.closeSubpath();
        painter.drawPath(head);
        break;
    }
    case cmdDeviceOffline:
        DrawHandset(painter, QRectF(3, 1, 8, 13), QColor(200, 200, 200));
        painter.setPen(QPen(QColor(200, 30, 30), 2));
        painter.drawLine(QPointF(1, 13), QPointF(15, 2));
        break;
    case cmdModuleList:
        DrawFile(painter);
        painter.setPen(QPen(teal, 1.5));
        painter.drawLine(QPointF(5, 7.5), QPointF(11, 7.5));
        painter.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
        break;
    default:
        DrawViewGlyph(painter, commandId);
        break;
    }
    return pixmap;
}

}  // namespace

QIcon ToolbarIcon(int commandId)
{
    switch (commandId) {
    case cmdDeviceConnect:
    case cmdDeviceReset:
    case cmdDeviceOffline:
    case cmdModuleList:
    case cmdViewLargeIcons:
    case cmdViewSmallIcons:
    case cmdViewList:
    case cmdViewDetails:
        return QIcon(ToolbarPixmap(commandId));
    default:
        return QIcon();
    }
}

QIcon ClosedFolderIcon()
{
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    DrawFolder(painter, false);
    return QIcon(pixmap);
}

QIcon OpenFolderIcon()
{
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    DrawFolder(painter, true);
    return QIcon(pixmap);
}

QIcon FileIcon()
{
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    DrawFile(painter);
    return QIcon(pixmap);
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap = Blank(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawHandset(painter, QRectF(size * 0.22, size * 0.06, size * 0.56, size * 0.88), teal);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap SplashPicture()
{
    QPixmap pixmap(splashWidth, splashHeight);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // Dark teal at the top fading to a pale band at the bottom, where the version text sits.
    QLinearGradient background(0, 0, 0, splashHeight);
    background.setColorAt(0.0, QColor(0, 70, 80));
    background.setColorAt(0.62, QColor(0, 120, 130));
    background.setColorAt(0.78, QColor(235, 245, 245));
    background.setColorAt(1.0, QColor(250, 252, 252));
    painter.fillRect(pixmap.rect(), background);

    // Signal arcs from the handset.
    painter.setPen(QPen(QColor(255, 255, 255, 90), 4));
    for (int radius = 40; radius <= 120; radius += 40)
        painter.drawArc(QRectF(440 - radius, 110 - radius, 2.0 * radius, 2.0 * radius),
                        -40 * 16, 80 * 16);
    DrawHandset(painter, QRectF(370, 40, 70, 130), QColor(220, 235, 235));

    QFont title(QStringLiteral("Arial"));
    title.setStyleHint(QFont::SansSerif);
    title.setPixelSize(46);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(28, 48, 300, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("ORLEY"));

    QFont subtitle(title);
    subtitle.setPixelSize(20);
    subtitle.setBold(false);
    painter.setFont(subtitle);
    painter.setPen(QColor(210, 240, 240));
    painter.drawText(QRect(30, 110, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("VANT Ferrant"));
    painter.drawText(QRect(30, 140, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Handset file system manager"));
    return pixmap;
}

QIcon ApplicationIcon()
{
    return QIcon::fromTheme("vantferrant", ProgramIcon());
}
