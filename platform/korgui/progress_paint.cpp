// The progress window's status icons and time texts.
#include "korgui/progress_p.h"

namespace korprogress {

namespace {

QPixmap paintIcon(int status)
{
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pm(QSize(kIconSize, kIconSize) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    if (status == CKORGuiProgress::StatusNone)
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, kIconSize - 2, kIconSize - 2);
    QPen white(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (status) {
    case CKORGuiProgress::StatusRunning: {  // blue disc with a white arrow
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1E, 0x6F, 0xD9));
        p.drawEllipse(r);
        QPainterPath arrow;
        arrow.moveTo(6, 4.5);
        arrow.lineTo(11.5, 8);
        arrow.lineTo(6, 11.5);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        break;
    }
    case CKORGuiProgress::StatusDone:  // green disc with a white check
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x9E, 0x3E));
        p.drawEllipse(r);
        p.setPen(white);
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
        break;
    case CKORGuiProgress::StatusFailed:  // red disc with a white cross
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD0, 0x30, 0x30));
        p.drawEllipse(r);
        p.setPen(white);
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    case CKORGuiProgress::StatusWarning: {  // yellow triangle with a dark "!"
        QPainterPath tri;
        tri.moveTo(8, 1);
        tri.lineTo(15, 14.5);
        tri.lineTo(1, 14.5);
        tri.closeSubpath();
        p.setPen(QPen(QColor(0xA0, 0x70, 0x00), 1.0));
        p.setBrush(QColor(0xF2, 0xB8, 0x00));
        p.drawPath(tri);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12.2));
        break;
    }
    case CKORGuiProgress::StatusStopped:  // grey square (a stop sign)
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x70, 0x70, 0x70));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
        break;
    case CKORGuiProgress::StatusWaiting:  // light grey clock face
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(0.7, 0.7, -0.7, -0.7));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        break;
    default: break;
    }
    return pm;
}

// Painted once each; kept for the process (the application object outlives every window,
// and pixmaps must not be freed after it during the process's exit).

}  // namespace

const QPixmap& statusIcon(int status)
{
    static auto* icons = new std::array<QPixmap, 7>;
    static std::array<bool, 7> made{};
    if (!made[status]) {
        (*icons)[status] = paintIcon(status);
        made[status] = true;
    }
    return (*icons)[status];
}

QString clockText(qint64 ms)
{
    qint64 s = (ms + 500) / 1000;
    qint64 h = s / 3600, m = s / 60 % 60, sec = s % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(sec, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(sec, 2, 10, QLatin1Char('0'));
}

}  // namespace korprogress
