// Draws the program's artwork into PNG files: the application icon at the
// sizes the desktop's icon theme asks for, and the 561x62 logo of the about
// window, also at twice the size for screens at 200 %. The files are kept
// in data/; run this again after changing it.
//
//   draw_artwork DATA_DIR
#include <cstdio>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(0x1d, 0x3f, 0x72);
const QColor kPaper(0xfb, 0xfa, 0xf4);
const QColor kArrow(0x2e, 0x9e, 0x5b);

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A till roll with printed lines and an arrow out of it, in a 64-unit box.
void DrawEmblem(QPainter& p) {
  QLinearGradient ground(0, 0, 0, 64);
  ground.setColorAt(0, QColor(0x3b, 0x6f, 0xb6));
  ground.setColorAt(1, kInk);
  p.setPen(Qt::NoPen);
  p.setBrush(ground);
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

  QPainterPath strip;
  strip.moveTo(14, 10);
  strip.lineTo(40, 10);
  strip.lineTo(40, 50);
  for (int i = 0; i < 4; ++i) {  // the torn edge
    strip.lineTo(40 - 6.5 * i - 3.25, 54);
    strip.lineTo(40 - 6.5 * (i + 1), 50);
  }
  strip.closeSubpath();
  p.setBrush(kPaper);
  p.drawPath(strip);

  p.setPen(QPen(QColor(0x8a, 0x96, 0xa8), 2.2, Qt::SolidLine, Qt::RoundCap));
  for (int row = 0; row < 5; ++row) {
    const double y = 17 + row * 6.5;
    p.drawLine(QPointF(19, y), QPointF(row % 2 ? 29 : 35, y));
  }

  p.setPen(Qt::NoPen);
  p.setBrush(kArrow);
  QPainterPath arrow;
  arrow.moveTo(36, 35);
  arrow.lineTo(48, 35);
  arrow.lineTo(48, 28);
  arrow.lineTo(59, 40);
  arrow.lineTo(48, 52);
  arrow.lineTo(48, 45);
  arrow.lineTo(36, 45);
  arrow.closeSubpath();
  p.drawPath(arrow);
}

QImage Icon(int size) {
  QImage image = Blank(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  DrawEmblem(p);
  return image;
}

// The logo with `scale` device pixels to a logical one.
QImage Logo(int scale) {
  QImage image = Blank(561 * scale, 62 * scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);
  p.save();
  p.translate(6, 3);
  p.scale(56 / 64.0, 56 / 64.0);
  DrawEmblem(p);
  p.restore();

  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(26);
  title.setBold(true);
  p.setFont(title);
  p.setPen(kInk);
  p.drawText(QRectF(76, 4, 480, 32), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Z917 Journal Converter"));

  QFont subtitle(QStringLiteral("DejaVu Sans"));
  subtitle.setPixelSize(13);
  p.setFont(subtitle);
  p.setPen(QColor(0x55, 0x5f, 0x6d));
  p.drawText(QRectF(78, 36, 480, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Электронный журнал кассового аппарата в Excel и XML"));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_artwork DATA_DIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir data(QString::fromLocal8Bit(argv[1]));
  bool ok = Logo(1).save(data.filePath("logo.png"));
  ok = Logo(2).save(data.filePath("logo@2x.png")) && ok;
  for (int size : {32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("icons/%1x%1").arg(size);
    ok = data.mkpath(folder) && ok;
    ok = Icon(size).save(data.filePath(folder + "/z917-converter.png")) && ok;
  }
  if (!ok) std::fprintf(stderr, "draw_artwork: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
