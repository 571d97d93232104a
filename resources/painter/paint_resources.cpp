// Paints the application's pictures: the toolbar strip, the folder and message icons, the
// application icon and the two dialog skins. Run at build time:
//   tarnwick-paint-resources OUTPUT_FOLDER
// writes OUTPUT_FOLDER/images/*.png and OUTPUT_FOLDER/{Skin2.bmp,Tarnwick-Exchange.bmp}.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&)>;

// Every icon is drawn on a 48 x 48 canvas and scaled to the size wanted.
constexpr double kCanvas = 48.0;

const QColor kInk(45, 55, 72);
const QColor kFolderYellow(246, 196, 83);
const QColor kFolderDark(214, 158, 46);
const QColor kBlue(49, 130, 206);
const QColor kRed(214, 69, 65);
const QColor kGreen(56, 161, 105);
const QColor kPaper(250, 250, 250);

QPen inkPen(double width = 2.0, QColor color = kInk) {
  QPen pen(color, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

QImage paint(int width, int height, const Draw& draw) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(width / kCanvas, height / kCanvas);
  draw(p);
  return image;
}

void folder(QPainter& p, QColor body = kFolderYellow, QColor back = kFolderDark) {
  QPainterPath tab;
  tab.moveTo(4, 12);
  tab.lineTo(18, 12);
  tab.lineTo(22, 16);
  tab.lineTo(44, 16);
  tab.lineTo(44, 40);
  tab.lineTo(4, 40);
  tab.closeSubpath();
  p.setPen(inkPen(1.5, back.darker(140)));
  p.setBrush(back);
  p.drawPath(tab);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(4, 20, 40, 20), 2, 2);
}

void badge(QPainter& p, QColor color, const Draw& glyph) {
  p.setPen(inkPen(1.5, color.darker(150)));
  p.setBrush(color);
  p.drawEllipse(QRectF(24, 22, 22, 22));
  p.save();
  p.translate(35, 33);
  glyph(p);
  p.restore();
}

void envelope(QPainter& p, QRectF r, QColor body = kPaper) {
  p.setPen(inkPen(2));
  p.setBrush(body);
  p.drawRoundedRect(r, 2, 2);
  QPainterPath flap;
  flap.moveTo(r.left() + 1, r.top() + 1);
  flap.lineTo(r.center().x(), r.top() + r.height() * 0.55);
  flap.lineTo(r.right() - 1, r.top() + 1);
  p.setBrush(Qt::NoBrush);
  p.drawPath(flap);
}

void calendar(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(kPaper);
  p.drawRoundedRect(QRectF(6, 9, 36, 33), 3, 3);
  p.setBrush(kRed);
  p.drawRect(QRectF(6, 9, 36, 9));
  p.setPen(inkPen(3));
  p.drawLine(QPointF(15, 5), QPointF(15, 12));
  p.drawLine(QPointF(33, 5), QPointF(33, 12));
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col) p.drawRect(QRectF(11 + col * 7.5, 22 + row * 6.5, 4, 4));
}

void contact(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(226, 232, 240));
  p.drawRoundedRect(QRectF(5, 6, 38, 36), 4, 4);
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(17, 11, 14, 14));
  QPainterPath shoulders;
  shoulders.moveTo(11, 38);
  shoulders.cubicTo(12, 26, 36, 26, 37, 38);
  shoulders.closeSubpath();
  p.drawPath(shoulders);
}

void trash(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(203, 213, 224));
  QPainterPath can;
  can.moveTo(11, 14);
  can.lineTo(37, 14);
  can.lineTo(34, 43);
  can.lineTo(14, 43);
  can.closeSubpath();
  p.drawPath(can);
  p.drawRoundedRect(QRectF(8, 9, 32, 5), 2, 2);
  p.drawLine(QPointF(20, 9), QPointF(22, 5));
  p.drawLine(QPointF(22, 5), QPointF(26, 5));
  p.drawLine(QPointF(26, 5), QPointF(28, 9));
  for (double x : {19.0, 24.0, 29.0}) p.drawLine(QPointF(x, 19), QPointF(x, 38));
}

void pencil(QPainter& p) {
  p.save();
  p.translate(24, 24);
  p.rotate(45);
  p.setPen(inkPen(2));
  p.setBrush(kFolderYellow);
  p.drawRect(QRectF(-5, -20, 10, 28));
  p.setBrush(QColor(237, 137, 123));
  p.drawRect(QRectF(-5, -24, 10, 4));
  QPainterPath tip;
  tip.moveTo(-5, 8);
  tip.lineTo(5, 8);
  tip.lineTo(0, 18);
  tip.closeSubpath();
  p.setBrush(QColor(251, 211, 141));
  p.drawPath(tip);
  p.restore();
}

void tray(QPainter& p, bool arrowIn, QColor arrow) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(226, 232, 240));
  QPainterPath box;
  box.moveTo(5, 28);
  box.lineTo(14, 28);
  box.lineTo(17, 34);
  box.lineTo(31, 34);
  box.lineTo(34, 28);
  box.lineTo(43, 28);
  box.lineTo(43, 43);
  box.lineTo(5, 43);
  box.closeSubpath();
  p.drawPath(box);
  p.setPen(inkPen(1.5, arrow.darker(150)));
  p.setBrush(arrow);
  QPainterPath a;
  if (arrowIn) {
    a.moveTo(19, 4);
    a.lineTo(29, 4);
    a.lineTo(29, 16);
    a.lineTo(35, 16);
    a.lineTo(24, 28);
    a.lineTo(13, 16);
    a.lineTo(19, 16);
  } else {
    a.moveTo(19, 28);
    a.lineTo(29, 28);
    a.lineTo(29, 16);
    a.lineTo(35, 16);
    a.lineTo(24, 4);
    a.lineTo(13, 16);
    a.lineTo(19, 16);
  }
  a.closeSubpath();
  p.drawPath(a);
}

void book(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(128, 90, 213));
  p.drawRoundedRect(QRectF(9, 5, 30, 38), 3, 3);
  p.setBrush(kPaper);
  p.drawRect(QRectF(14, 11, 20, 8));
  p.drawLine(QPointF(14, 5), QPointF(14, 43));
}

void junk(QPainter& p) {
  folder(p, QColor(203, 213, 224), QColor(160, 174, 192));
  badge(p, kRed, [](QPainter& q) {
    q.setPen(inkPen(2.5, Qt::white));
    q.drawLine(QPointF(-5, -5), QPointF(5, 5));
    q.drawLine(QPointF(5, -5), QPointF(-5, 5));
  });
}

void note(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(250, 240, 137));
  QPainterPath sheet;
  sheet.moveTo(7, 6);
  sheet.lineTo(41, 6);
  sheet.lineTo(41, 32);
  sheet.lineTo(31, 42);
  sheet.lineTo(7, 42);
  sheet.closeSubpath();
  p.drawPath(sheet);
  p.setBrush(QColor(236, 201, 75));
  QPainterPath fold;
  fold.moveTo(41, 32);
  fold.lineTo(31, 32);
  fold.lineTo(31, 42);
  fold.closeSubpath();
  p.drawPath(fold);
  p.setPen(inkPen(1.5, QColor(160, 140, 60)));
  for (double y : {14.0, 20.0, 26.0}) p.drawLine(QPointF(12, y), QPointF(36, y));
}

void planeSent(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(190, 227, 248));
  QPainterPath plane;
  plane.moveTo(4, 22);
  plane.lineTo(44, 6);
  plane.lineTo(34, 42);
  plane.lineTo(24, 29);
  plane.closeSubpath();
  p.drawPath(plane);
  p.setBrush(kBlue);
  QPainterPath wing;
  wing.moveTo(24, 29);
  wing.lineTo(44, 6);
  wing.lineTo(21, 40);
  wing.closeSubpath();
  p.drawPath(wing);
}

void tasks(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(kPaper);
  p.drawRoundedRect(QRectF(6, 6, 36, 36), 5, 5);
  p.setPen(inkPen(4.5, kGreen));
  p.drawLine(QPointF(13, 24), QPointF(21, 32));
  p.drawLine(QPointF(21, 32), QPointF(36, 14));
}

void syncIssues(QPainter& p) {
  folder(p);
  badge(p, QColor(237, 137, 54), [](QPainter& q) {
    q.setPen(inkPen(3, Qt::white));
    q.drawLine(QPointF(0, -6), QPointF(0, 2));
    q.drawPoint(QPointF(0, 6));
  });
}

void database(QPainter& p) {
  p.setPen(inkPen(2));
  QLinearGradient g(6, 0, 42, 0);
  g.setColorAt(0, QColor(99, 179, 237));
  g.setColorAt(1, QColor(43, 108, 176));
  p.setBrush(g);
  QPainterPath body;
  body.moveTo(6, 11);
  body.lineTo(6, 37);
  body.arcTo(QRectF(6, 31, 36, 12), 180, 180);
  body.lineTo(42, 11);
  p.drawPath(body);
  p.drawEllipse(QRectF(6, 5, 36, 12));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(6, 14, 36, 12), 180 * 16, 180 * 16);
  p.drawArc(QRectF(6, 23, 36, 12), 180 * 16, 180 * 16);
}

void mailItem(QPainter& p) { envelope(p, QRectF(4, 11, 40, 28)); }

void paperclip(QPainter& p) {
  p.setPen(inkPen(3, QColor(74, 85, 104)));
  p.setBrush(Qt::NoBrush);
  QPainterPath clip;
  clip.moveTo(30, 16);
  clip.lineTo(30, 34);
  clip.arcTo(QRectF(18, 28, 12, 12), 0, -180);
  clip.lineTo(18, 12);
  clip.arcTo(QRectF(18, 4, 16, 16), 180, -180);
  clip.lineTo(34, 36);
  clip.arcTo(QRectF(14, 26, 20, 18), 0, -180);
  clip.lineTo(14, 18);
  p.drawPath(clip);
}

void genericFolder(QPainter& p) { folder(p); }

void inboxFolder(QPainter& p) { tray(p, true, kBlue); }
void outboxFolder(QPainter& p) { tray(p, false, kGreen); }

void appIcon(QPainter& p) {
  database(p);
  p.save();
  p.translate(18, 20);
  p.scale(0.6, 0.6);
  envelope(p, QRectF(4, 11, 40, 28), QColor(255, 250, 230));
  p.restore();
}

// Toolbar pictures, 44 x 45 each.
void toolOpen(QPainter& p) {
  folder(p);
  p.setPen(inkPen(1.5, kFolderDark.darker(140)));
  p.setBrush(QColor(252, 222, 140));
  QPainterPath lid;
  lid.moveTo(9, 24);
  lid.lineTo(47, 24);
  lid.lineTo(41, 40);
  lid.lineTo(4, 40);
  lid.closeSubpath();
  p.drawPath(lid);
}

void toolStop(QPainter& p) {
  QPainterPath octagon;
  for (int i = 0; i < 8; ++i) {
    const double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
    const QPointF point(24 + 19 * std::cos(angle), 24 + 19 * std::sin(angle));
    if (i == 0)
      octagon.moveTo(point);
    else
      octagon.lineTo(point);
  }
  octagon.closeSubpath();
  p.setPen(inkPen(2, kRed.darker(160)));
  p.setBrush(kRed);
  p.drawPath(octagon);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(13, 21, 22, 6), 2, 2);
}

void toolSave(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(kBlue);
  QPainterPath disk;
  disk.moveTo(6, 6);
  disk.lineTo(36, 6);
  disk.lineTo(42, 12);
  disk.lineTo(42, 42);
  disk.lineTo(6, 42);
  disk.closeSubpath();
  p.drawPath(disk);
  p.setBrush(kPaper);
  p.drawRect(QRectF(13, 6, 20, 13));
  p.setBrush(QColor(226, 232, 240));
  p.drawRoundedRect(QRectF(11, 26, 26, 16), 2, 2);
  p.setBrush(kInk);
  p.drawRect(QRectF(26, 9, 4, 7));
}

void toolHelp(QPainter& p) {
  p.setPen(inkPen(2, kBlue.darker(150)));
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(5, 5, 38, 38));
  p.setPen(inkPen(4.5, Qt::white));
  p.setBrush(Qt::NoBrush);
  QPainterPath hook;
  hook.moveTo(17, 19);
  hook.cubicTo(17, 10, 31, 10, 31, 18);
  hook.cubicTo(31, 24, 24, 24, 24, 30);
  p.drawPath(hook);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(21.5, 33, 5, 5));
}

void toolExit(QPainter& p) {
  p.setPen(inkPen(2));
  p.setBrush(QColor(160, 110, 70));
  p.drawRect(QRectF(7, 5, 22, 38));
  p.setBrush(kInk);
  p.drawEllipse(QRectF(23, 23, 3, 3));
  p.setPen(inkPen(1.5, kRed.darker(150)));
  p.setBrush(kRed);
  QPainterPath arrow;
  arrow.moveTo(24, 20);
  arrow.lineTo(34, 20);
  arrow.lineTo(34, 14);
  arrow.lineTo(45, 24);
  arrow.lineTo(34, 34);
  arrow.lineTo(34, 28);
  arrow.lineTo(24, 28);
  arrow.closeSubpath();
  p.drawPath(arrow);
}

bool save(const QImage& image, const QString& path) {
  if (!image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// A soft skin: a pale gradient with a quiet band of darker colour at the top and faint
// rings at the right, light enough that black text stays easy to read anywhere on it.
QImage skin(int width, int height, QColor top, QColor bottom, QColor band) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(image.rect(), g);
  QLinearGradient b(0, 0, width, 0);
  b.setColorAt(0, band);
  b.setColorAt(1, band.lighter(125));
  p.fillRect(QRect(0, 0, width, 6), b);
  p.setPen(QPen(QColor(255, 255, 255, 90), 18));
  p.setBrush(Qt::NoBrush);
  for (int r = 80; r < 400; r += 60) p.drawEllipse(QPointF(width + 40, height + 40), r, r);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarnwick-paint-resources OUTPUT_FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out + "/images");
  bool ok = true;

  struct Icon {
    const char* name;
    Draw draw;
  };
  const Icon icons[] = {
      {"folder", genericFolder}, {"database", database},     {"calendar", calendar},
      {"contacts", contact},     {"deleted", trash},         {"drafts", pencil},
      {"inbox", inboxFolder},    {"journal", book},          {"junk", junk},
      {"notes", note},           {"outbox", outboxFolder},   {"sent", planeSent},
      {"tasks", tasks},          {"syncissues", syncIssues}, {"mail", mailItem},
      {"attachment", paperclip}, {"app", appIcon},
  };
  for (const Icon& icon : icons) {
    ok &= save(paint(16, 16, icon.draw), out + "/images/" + icon.name + "-16.png");
    ok &= save(paint(48, 48, icon.draw), out + "/images/" + icon.name + "-48.png");
  }

  // The toolbar strip: Open, Stop, Save, Help, Exit, 44 x 45 each, in one 32-bit bitmap.
  const Draw tools[] = {toolOpen, toolStop, toolSave, toolHelp, toolExit};
  constexpr int kToolWidth = 44;
  constexpr int kToolHeight = 45;
  QImage strip(kToolWidth * 5, kToolHeight, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  {
    QPainter p(&strip);
    for (int i = 0; i < 5; ++i)
      p.drawImage(i * kToolWidth, 0, paint(kToolWidth - 4, kToolHeight - 4, tools[i]).copy(), 0, 0);
  }
  // Centre each picture in its cell.
  QImage centred(strip.size(), QImage::Format_ARGB32);
  centred.fill(Qt::transparent);
  {
    QPainter p(&centred);
    p.drawImage(2, 2, strip);
  }
  ok &= save(centred, out + "/images/toolbar.png");

  ok &= save(skin(720, 420, QColor(236, 243, 250), QColor(214, 226, 240), QColor(43, 108, 176)), out + "/Skin2.bmp");
  ok &= save(skin(720, 420, QColor(240, 246, 252), QColor(220, 232, 244), QColor(56, 161, 105)),
             out + "/Tarnwick-Exchange.bmp");
  return ok ? 0 : 1;
}
