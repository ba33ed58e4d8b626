// Draws the skin pictures of cpe-manager. One palette and a few drawing helpers give every
// picture the same look; change them here and run tools/skin/make_skin.sh.
//
//   cpe_skin_gen <skin folder> <work folder>
//
// BMP and JPEG pictures go to the skin folder; the frames of the animated busy picture and the
// icon sizes go to the work folder as PNG for ImageMagick to assemble.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>
#include <QtMath>

#include <cstdio>

namespace {

// Palette.
const QColor kBlueDark(24, 66, 120);
const QColor kBlue(41, 104, 170);
const QColor kBlueLight(96, 156, 214);
const QColor kOrange(237, 112, 32);
const QColor kOrangeLight(252, 226, 208);
const QColor kGrayLine(215, 215, 215);
const QColor kGrayText(120, 120, 120);
const QColor kPanel(246, 247, 249);
const QColor kGreen(0, 153, 0);
const QColor kRed(210, 40, 40);
const QColor kAmber(236, 160, 20);

QString g_skin;
QString g_work;
int g_failures = 0;

void Save(const QImage& img, const QString& name, const QString& dir = g_skin) {
    const QString path = dir + QLatin1Char('/') + name;
    QImage out = img;
    if (name.endsWith(QLatin1String(".bmp")) || name.endsWith(QLatin1String(".jpg")))
        out = img.convertToFormat(QImage::Format_RGB32);
    if (!out.save(path, nullptr, name.endsWith(QLatin1String(".jpg")) ? 92 : -1)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

QImage Canvas(int w, int h, QColor fill = Qt::white) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

QFont UiFont(int pixels, bool bold = false, bool cjk = false) {
    QFont f(cjk ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void Antialias(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// ---- window backgrounds -------------------------------------------------------------------

void DrawBanner(QPainter& p, int w, int h) {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, kBlue);
    g.setColorAt(1, kBlueDark);
    p.fillRect(0, 0, w, h, g);
    // Soft arcs suggesting radio waves.
    p.setPen(QPen(QColor(255, 255, 255, 28), 10));
    for (int r = 60; r < 420; r += 55)
        p.drawEllipse(QPoint(w - 160, h + 40), r, r);
    // Antenna mark and product name.
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    const QPoint base(36, 58);
    p.drawLine(base, base + QPoint(0, -30));
    p.drawArc(QRect(base.x() - 12, base.y() - 42, 24, 24), 30 * 16, 120 * 16);
    p.drawArc(QRect(base.x() - 20, base.y() - 50, 40, 40), 35 * 16, 110 * 16);
    p.setPen(Qt::white);
    p.setFont(UiFont(26, true));
    p.drawText(QRect(64, 18, 500, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("CPE Management"));
    p.setFont(UiFont(12));
    p.setPen(QColor(220, 232, 246));
    p.drawText(QRect(66, 50, 500, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Outdoor wireless device utility"));
    p.fillRect(0, h - 3, w, 3, kOrange);
}

void MainBackground() {
    const int w = 876, h = 674;  // the main window's client area
    QImage img = Canvas(w, h);
    QPainter p(&img);
    Antialias(p);
    DrawBanner(p, w, 86);
    p.end();
    Save(img, QStringLiteral("main_bk.jpg"));
}

void MenuBackground() {
    const int w = 137, h = 605;
    QImage img = Canvas(w, h, kPanel);
    QPainter p(&img);
    p.setPen(kGrayLine);
    p.drawLine(w - 1, 0, w - 1, h);
    p.end();
    Save(img, QStringLiteral("main_left_bk.jpg"));
}

// ---- menu buttons -------------------------------------------------------------------------

enum class MenuIcon { kSearch, kWireless, kInventory };

void DrawMenuIcon(QPainter& p, QRectF r, MenuIcon icon, QColor c) {
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (icon) {
    case MenuIcon::kSearch:
        p.drawEllipse(QRectF(r.left() + 1, r.top() + 1, r.width() * 0.6, r.height() * 0.6));
        p.drawLine(QPointF(r.left() + r.width() * 0.55, r.top() + r.height() * 0.55), r.bottomRight());
        break;
    case MenuIcon::kWireless:
        // Three bars of rising height: a device with a signal.
        for (int i = 0; i < 3; ++i) {
            const qreal bh = r.height() * (0.4 + 0.3 * i);
            p.drawLine(QPointF(r.left() + 2 + i * 5, r.bottom()), QPointF(r.left() + 2 + i * 5, r.bottom() - bh));
        }
        break;
    case MenuIcon::kInventory: {
        // A cabinet of three drawers: what is kept.
        p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QRectF box = r.adjusted(1, 0.5, -1, -0.5);
        p.drawRoundedRect(box, 1.5, 1.5);
        for (int i = 1; i < 3; ++i) {
            const qreal y = box.top() + box.height() * i / 3;
            p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
        }
        for (int i = 0; i < 3; ++i) {
            const qreal y = box.top() + box.height() * (i + 0.5) / 3;
            p.drawLine(QPointF(box.center().x() - 1.5, y), QPointF(box.center().x() + 1.5, y));
        }
        break;
    }
    }
}

void MenuButton(const QString& name, MenuIcon icon, bool down) {
    const int w = 135, h = 46;
    QImage img = Canvas(w, h, kPanel);
    QPainter p(&img);
    Antialias(p);
    if (down) {
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0, kOrangeLight);
        g.setColorAt(1, Qt::white);
        p.fillRect(0, 1, w, h - 2, g);
        p.fillRect(0, 1, 4, h - 2, kOrange);
    }
    p.setPen(kGrayLine);
    p.drawLine(8, h - 1, w - 8, h - 1);
    DrawMenuIcon(p, QRectF(9, 16, 14, 14), icon, down ? kOrange : kGrayText);
    p.end();
    Save(img, name);
}

// ---- title and help menu buttons ----------------------------------------------------------

void TitleButton(const QString& name, int kind) {
    const int w = 26, h = 16;
    QImage img = Canvas(w, h, kBlue);
    QPainter p(&img);
    Antialias(p);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, kBlue);
    g.setColorAt(1, QColor(36, 94, 156));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(w / 2.0, h / 2.0);
    if (kind == 0) {  // close
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
    } else if (kind == 1) {  // minimise
        p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
    } else {  // help
        p.setFont(UiFont(12, true));
        p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("?"));
    }
    p.end();
    Save(img, name);
}

void HelpMenuIcon(const QString& name, int kind) {
    QImage img = Canvas(16, 16);
    QPainter p(&img);
    Antialias(p);
    p.setPen(Qt::NoPen);
    const QColor colours[] = {kBlue, kGreen, kOrange, kBlueDark};
    p.setBrush(colours[kind]);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(Qt::white);
    p.setFont(UiFont(10, true));
    const char* letters[] = {"P", "S", "@", "?"};
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(letters[kind]));
    p.end();
    Save(img, name);
}

// ---- list page pieces ---------------------------------------------------------------------

void RoundedButton(const QString& name, int w, int h, QColor top, QColor bottom, QColor frame) {
    QImage img = Canvas(w, h);
    QPainter p(&img);
    Antialias(p);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(frame);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 4, 4);
    p.end();
    Save(img, name);
}

void RefreshIcon(const QString& name, QColor c) {
    QImage img = Canvas(15, 16);
    QPainter p(&img);
    Antialias(p);
    p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2, 2.5, 11, 11), 60 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(12.5, 1.5);
    head.lineTo(13, 6.5);
    head.lineTo(8.5, 5);
    head.closeSubpath();
    p.fillPath(head, c);
    p.end();
    Save(img, name);
}

void Line(const QString& name, int w, int h, QColor c) {
    QImage img = Canvas(w, h, c);
    Save(img, name);
}

void SearchBoxFrame() {
    // Left part with a magnifier, then the right end cap; the edit draws its own bottom line.
    QImage left = Canvas(24, 29);
    QPainter p(&left);
    Antialias(p);
    p.setPen(QPen(kGrayText, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QRectF(6, 8, 9, 9));
    p.drawLine(QPointF(14, 16), QPointF(18, 20));
    p.setPen(QColor(207, 207, 207));
    p.drawLine(4, 27, 23, 27);
    p.end();
    Save(left, QStringLiteral("btn_pie.bmp"));
    QImage right = Canvas(12, 23);
    QPainter q(&right);
    q.setPen(QColor(207, 207, 207));
    q.drawLine(0, 22, 10, 22);
    q.drawLine(10, 14, 10, 22);
    q.end();
    Save(right, QStringLiteral("btn_pie2.bmp"));
}

void BusyFrames() {
    const int n = 12, size = 24;
    for (int i = 0; i < n; ++i) {
        QImage img = Canvas(size, size);
        QPainter p(&img);
        Antialias(p);
        for (int k = 0; k < n; ++k) {
            const int age = (i - k + n) % n;
            QColor c = kOrange;
            c = QColor::fromRgbF(1 - (1 - c.redF()) * (1 - age / qreal(n)), 1 - (1 - c.greenF()) * (1 - age / qreal(n)),
                                 1 - (1 - c.blueF()) * (1 - age / qreal(n)));
            p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::RoundCap));
            const qreal a = 2 * M_PI * k / n;
            const QPointF dir(qSin(a), -qCos(a));
            p.drawLine(QPointF(12, 12) + dir * 5.5, QPointF(12, 12) + dir * 10);
        }
        p.end();
        Save(img, QStringLiteral("busy_%1.png").arg(i, 2, 10, QLatin1Char('0')), g_work);
    }
}

// ---- status strips ------------------------------------------------------------------------

void StatusIcon(QPainter& p, QRect cell, int status) {
    const QPointF c(cell.left() + 8, cell.top() + 8);
    p.setPen(Qt::NoPen);
    auto dot = [&](QColor col) {
        QRadialGradient g(c - QPointF(1.5, 1.5), 6);
        g.setColorAt(0, col.lighter(160));
        g.setColorAt(1, col);
        p.setBrush(g);
        p.drawEllipse(c, 5.5, 5.5);
    };
    QPen white(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (status) {
    case 1: dot(kGreen); break;
    case 2:
    case 3: {
        dot(status == 2 ? kGreen : kRed);
        p.setPen(white);
        p.drawLine(c + QPointF(-3, 0), c + QPointF(3, 0));
        p.drawEllipse(c + QPointF(-3, 0), 1.2, 1.2);
        p.drawEllipse(c + QPointF(3, 0), 1.2, 1.2);
        break;
    }
    case 4:
    case 5: {
        dot(kAmber);
        p.setPen(white);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - 3, c.y() - 3, 6, 6), 90 * 16, status == 4 ? 270 * 16 : -270 * 16);
        break;
    }
    case 6: {
        dot(kBlueLight);
        p.setPen(white);
        p.drawLine(c, c + QPointF(0, -3.5));
        p.drawLine(c, c + QPointF(2.5, 0));
        break;
    }
    case 7: {
        dot(kBlue);
        p.setPen(white);
        p.drawLine(c + QPointF(0, 3), c + QPointF(0, -3));
        p.drawLine(c + QPointF(0, -3), c + QPointF(-2.5, -0.5));
        p.drawLine(c + QPointF(0, -3), c + QPointF(2.5, -0.5));
        break;
    }
    case 8: {
        dot(kGreen);
        p.setPen(white);
        p.drawPolyline(QPolygonF({c + QPointF(-3, 0), c + QPointF(-1, 2.5), c + QPointF(3, -2.5)}));
        break;
    }
    case 9: {
        dot(kRed);
        p.setPen(white);
        p.drawLine(c + QPointF(-2.5, -2.5), c + QPointF(2.5, 2.5));
        p.drawLine(c + QPointF(-2.5, 2.5), c + QPointF(2.5, -2.5));
        break;
    }
    case 10: {
        p.setPen(QPen(QColor(150, 150, 150), 1.2, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 5, 5);
        break;
    }
    default: break;
    }
}

// Image 0 is the action of the "Operate" column; images 1..10 the status codes.
void StatusStrip(const QString& name, const QString& action, bool cjk, bool bridge) {
    const int count = 11;
    QImage img = Canvas(50 * count, 16);
    QPainter p(&img);
    Antialias(p);
    const QRect first(0, 0, 50, 16);
    p.setPen(QPen(kBlue, 1.3));
    p.setBrush(Qt::NoBrush);
    if (bridge) {
        p.drawEllipse(QRectF(4, 5, 7, 6));
        p.drawEllipse(QRectF(9, 5, 7, 6));
    } else {
        p.drawEllipse(QRectF(4, 2.5, 11, 11));
        p.drawLine(QPointF(4, 8), QPointF(15, 8));
        p.drawEllipse(QRectF(7.5, 2.5, 4, 11));
    }
    p.setPen(kBlue);
    QFont f = UiFont(cjk ? 11 : 11, false, cjk);
    f.setUnderline(true);
    p.setFont(f);
    p.drawText(first.adjusted(19, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, action);
    for (int s = 1; s < count; ++s)
        StatusIcon(p, QRect(50 * s, 0, 50, 16), s);
    p.end();
    Save(img, name);
}

// The Inventory page's strip: image 0 opens a device's actions, 1 marks an online device and 2 an
// offline one.
void InventoryStrip(const QString& name, const QString& action, bool cjk) {
    QImage img = Canvas(50 * 3, 16);
    QPainter p(&img);
    Antialias(p);
    p.setPen(QPen(kBlue, 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(5, 4.5 + i * 3.5), QPointF(14, 4.5 + i * 3.5));
    QFont f = UiFont(11, false, cjk);
    f.setUnderline(true);
    p.setFont(f);
    p.drawText(QRect(19, 0, 31, 16), Qt::AlignLeft | Qt::AlignVCenter, action);
    StatusIcon(p, QRect(50, 0, 50, 16), 1);
    const QPointF c(100 + 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 190, 190));
    p.drawEllipse(c, 5.5, 5.5);
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-2.5, 0), c + QPointF(2.5, 0));
    p.end();
    Save(img, name);
}

void SignalStrength(int level) {
    QImage img = Canvas(24, 16);
    QPainter p(&img);
    for (int i = 0; i < 5; ++i) {
        const int h = 3 + i * 3;
        const QColor c = i < level ? (level <= 1 ? kRed : level <= 2 ? kAmber : kGreen) : QColor(220, 220, 220);
        p.fillRect(QRect(2 + i * 4, 15 - h, 3, h), c);
    }
    p.end();
    Save(img, QStringLiteral("singal_strength%1.bmp").arg(level));
}

// ---- dialogs ------------------------------------------------------------------------------

void CloseCross(const QString& name, int w, int h, QColor bg, QColor fg) {
    QImage img = Canvas(w, h, bg);
    QPainter p(&img);
    Antialias(p);
    p.setPen(QPen(fg, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(w / 2.0, h / 2.0);
    const qreal r = std::min(w, h) / 2.0 - 3.5;
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    p.end();
    Save(img, name);
}

void Tab(const QString& name, bool selected) {
    const int w = 96, h = 30;
    QImage img = Canvas(w, h, selected ? Qt::white : QColor(236, 238, 241));
    QPainter p(&img);
    p.setPen(kGrayLine);
    p.drawRect(0, 0, w - 1, h - 1);
    if (selected) {
        p.fillRect(1, 0, w - 2, 3, kOrange);
        p.setPen(Qt::white);
        p.drawLine(1, h - 1, w - 2, h - 1);
    }
    p.end();
    Save(img, name);
}

// The "Operate" image of the management list: a strip of one 50 x 16 image, a pencil.
void Pencil() {
    QImage img = Canvas(50, 16);
    QPainter p(&img);
    Antialias(p);
    p.translate(25, 8);
    p.rotate(45);
    p.fillRect(QRectF(-2, -7, 4, 10), kOrange);
    QPainterPath tip;
    tip.moveTo(-2, 3);
    tip.lineTo(2, 3);
    tip.lineTo(0, 7);
    tip.closeSubpath();
    p.fillPath(tip, QColor(90, 90, 90));
    p.end();
    Save(img, QStringLiteral("write.bmp"));
}

void DrawDevice(QPainter& p, QPointF at, const QString& label, QColor c) {
    p.setPen(QPen(c, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(at.x() - 22, at.y() - 30, 44, 60), 6, 6);
    p.drawLine(at + QPointF(0, -30), at + QPointF(0, -50));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(at.x() - 10, at.y() - 62, 20, 20), 30 * 16, 120 * 16);
    p.setPen(QColor(60, 60, 60));
    p.setFont(UiFont(13, true, true));
    p.drawText(QRectF(at.x() - 80, at.y() + 36, 160, 20), Qt::AlignCenter, label);
}

void DrawComputer(QPainter& p, QPointF at, const QString& label) {
    p.setPen(QPen(kBlueDark, 2));
    p.setBrush(QColor(232, 240, 250));
    p.drawRoundedRect(QRectF(at.x() - 40, at.y() - 32, 80, 52), 4, 4);
    p.drawLine(at + QPointF(0, 20), at + QPointF(0, 30));
    p.drawLine(at + QPointF(-18, 30), at + QPointF(18, 30));
    p.setPen(QColor(60, 60, 60));
    p.setFont(UiFont(13, true, true));
    p.drawText(QRectF(at.x() - 80, at.y() + 36, 160, 20), Qt::AlignCenter, label);
}

void InstallHelp(const QString& name, bool cjk) {
    const int w = 850, h = 585;
    QImage img = Canvas(w, h);
    QPainter p(&img);
    Antialias(p);
    p.setPen(kBlueDark);
    p.setFont(UiFont(22, true, cjk));
    p.drawText(QRect(30, 20, w - 60, 36), Qt::AlignLeft | Qt::AlignVCenter,
               cjk ? QStringLiteral("安装指南") : QStringLiteral("Installation guide"));
    p.fillRect(30, 60, 120, 3, kOrange);

    const QPointF pc(100, 200), sw(270, 200), cpe(470, 200), ap(660, 200);
    DrawComputer(p, pc, cjk ? QStringLiteral("电脑") : QStringLiteral("Computer"));
    p.setPen(QPen(kBlueDark, 2));
    p.setBrush(QColor(240, 240, 240));
    p.drawRoundedRect(QRectF(sw.x() - 45, sw.y() - 14, 90, 28), 4, 4);
    p.setPen(QColor(60, 60, 60));
    p.setFont(UiFont(13, true, cjk));
    p.drawText(QRectF(sw.x() - 80, sw.y() + 36, 160, 20), Qt::AlignCenter,
               cjk ? QStringLiteral("PoE供电器") : QStringLiteral("PoE injector"));
    DrawDevice(p, cpe, QStringLiteral("CPE"), kOrange);
    DrawDevice(p, ap, QStringLiteral("AP"), kBlue);
    p.setPen(QPen(kGrayText, 2));
    p.drawLine(pc + QPointF(40, 0), sw - QPointF(45, 0));
    p.drawLine(sw + QPointF(45, 0), cpe - QPointF(22, 0));
    p.setPen(QPen(kOrange, 2, Qt::DashLine));
    for (int r = 0; r < 3; ++r)
        p.drawArc(QRectF(cpe.x() + 30 + r * 14, cpe.y() - 60 - r * 4, 30, 40), -40 * 16, 80 * 16);

    const QStringList steps =
        cjk ? QStringList{QStringLiteral("1. 用网线将电脑连接到PoE供电器的LAN口，将设备连接到PoE口。"),
                          QStringLiteral("2. 将电脑的IP地址设置在设备所在的网段（例如 192.168.1.x）。"),
                          QStringLiteral("3. 打开“设备状态”页面，点击“搜索”，等待设备出现在列表中。"),
                          QStringLiteral("4. 在“设备管理”中修改无线和IP参数，在“设备桥接”中连接远端AP。"),
                          QStringLiteral("5. 升级固件前请确认设备型号与固件文件一致，升级过程中不要断电。")}
            : QStringList{
                  QStringLiteral(
                      "1. Connect the computer to the LAN port of the PoE injector and the device to its PoE port."),
                  QStringLiteral("2. Give the computer an address in the device's subnet (for example 192.168.1.x)."),
                  QStringLiteral("3. Open \"Device status\", press \"Search\" and wait for the devices to appear."),
                  QStringLiteral("4. Change wireless and IP settings in \"Device management\"; bridge to a remote AP "
                                 "in \"Device bridge\"."),
                  QStringLiteral("5. Before upgrading, check that the firmware file fits the model; keep the power on "
                                 "meanwhile.")};
    p.setPen(QColor(50, 50, 50));
    p.setFont(UiFont(14, false, cjk));
    int y = 320;
    for (const QString& s : steps) {
        p.drawText(QRect(40, y, 660, 40), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, s);
        y += 46;
    }
    p.end();
    Save(img, name);
}

void BridgeFinish() {
    const int w = 495, h = 215;
    QImage img = Canvas(w, h);
    QPainter p(&img);
    Antialias(p);
    DrawDevice(p, QPointF(120, 120), QStringLiteral("Station"), kOrange);
    DrawDevice(p, QPointF(375, 120), QStringLiteral("AP"), kBlue);
    p.setPen(QPen(kGreen, 3, Qt::DashLine, Qt::RoundCap));
    p.drawLine(QPointF(160, 90), QPointF(335, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(247, 90), 16, 16);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(239, 90), QPointF(245, 97), QPointF(256, 83)}));
    p.end();
    Save(img, QStringLiteral("bridge_finish.jpg"));
}

void AppIcon() {
    for (int size : {16, 24, 32, 48, 64, 256}) {
        QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        Antialias(p);
        const qreal s = size / 32.0;
        QLinearGradient g(0, 0, 0, size);
        g.setColorAt(0, kBlue);
        g.setColorAt(1, kBlueDark);
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 7 * s, 7 * s);
        p.setPen(QPen(Qt::white, 2.4 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16 * s, 26 * s), QPointF(16 * s, 14 * s));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10 * s, 7 * s, 12 * s, 12 * s), 30 * 16, 120 * 16);
        p.setPen(QPen(kOrange, 2.4 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(5 * s, 2.5 * s, 22 * s, 22 * s), 35 * 16, 110 * 16);
        p.end();
        Save(img, QStringLiteral("icon_%1.png").arg(size), g_work);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <skin folder> <work folder>\n", argv[0]);
        return 2;
    }
    g_skin = QString::fromLocal8Bit(argv[1]);
    g_work = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_skin);
    QDir().mkpath(g_work);

    MainBackground();
    MenuBackground();
    MenuButton(QStringLiteral("bt_menu_search_normal.bmp"), MenuIcon::kSearch, false);
    MenuButton(QStringLiteral("bt_menu_search_down.bmp"), MenuIcon::kSearch, true);
    MenuButton(QStringLiteral("bt_menu_wireless_normal.bmp"), MenuIcon::kWireless, false);
    MenuButton(QStringLiteral("bt_menu_wireless_down.bmp"), MenuIcon::kWireless, true);
    MenuButton(QStringLiteral("bt_menu_inventory_normal.bmp"), MenuIcon::kInventory, false);
    MenuButton(QStringLiteral("bt_menu_inventory_down.bmp"), MenuIcon::kInventory, true);
    TitleButton(QStringLiteral("close_normal.bmp"), 0);
    TitleButton(QStringLiteral("min_normal.bmp"), 1);
    TitleButton(QStringLiteral("help_normal.bmp"), 2);
    HelpMenuIcon(QStringLiteral("help_product_normal.bmp"), 0);
    HelpMenuIcon(QStringLiteral("help_support_normal.bmp"), 1);
    HelpMenuIcon(QStringLiteral("help_contact_normal.bmp"), 2);
    HelpMenuIcon(QStringLiteral("help_help_normal.bmp"), 3);
    RoundedButton(QStringLiteral("btn_search.bmp"), 60, 29, QColor(255, 255, 255), QColor(232, 234, 238),
                  QColor(190, 190, 190));
    RefreshIcon(QStringLiteral("btn_update_normal.bmp"), kGrayText);
    RefreshIcon(QStringLiteral("btn_update_down.bmp"), kOrange);
    Line(QStringLiteral("line.bmp"), 696, 1, kGrayLine);
    SearchBoxFrame();
    BusyFrames();
    StatusStrip(QStringLiteral("web_other.bmp"), QStringLiteral("Web"), false, false);
    StatusStrip(QStringLiteral("web_chinese.bmp"), QStringLiteral("网页"), true, false);
    StatusStrip(QStringLiteral("bridge_other.bmp"), QStringLiteral("Link"), false, true);
    StatusStrip(QStringLiteral("bridge_chinese.bmp"), QStringLiteral("桥接"), true, true);
    InventoryStrip(QStringLiteral("inventory_other.bmp"), QStringLiteral("More"), false);
    InventoryStrip(QStringLiteral("inventory_chinese.bmp"), QStringLiteral("操作"), true);
    InstallHelp(QStringLiteral("help_other.jpg"), false);
    InstallHelp(QStringLiteral("help_chinese.jpg"), true);
    RoundedButton(QStringLiteral("btn_config.bmp"), 75, 26, QColor(255, 255, 255), QColor(232, 234, 238),
                  QColor(190, 190, 190));
    RoundedButton(QStringLiteral("config_btn.bmp"), 75, 26, QColor(250, 160, 100), kOrange, QColor(210, 96, 24));
    CloseCross(QStringLiteral("close_config.bmp"), 18, 18, kBlue, Qt::white);
    Tab(QStringLiteral("wireless_basic.bmp"), true);
    Tab(QStringLiteral("wireless_config.bmp"), false);
    Line(QStringLiteral("gray_line.bmp"), 520, 1, kGrayLine);
    Line(QStringLiteral("orange_line.bmp"), 520, 2, kOrange);
    Pencil();
    BridgeFinish();
    for (int level = 0; level <= 5; ++level)
        SignalStrength(level);
    CloseCross(QStringLiteral("close_wait.bmp"), 17, 15, QColor(242, 242, 242), kGrayText);
    AppIcon();
    return g_failures == 0 ? 0 : 1;
}
