#include "tests/support/child_process.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Grabs of the main window's tool-bar buttons at one screen scale, by file name.
QMap<QString, QImage> GrabToolBar(const QString& scale, const QDir& dir) {
  QDir().mkpath(dir.path());
  jwtest::ScopedProcess grabber;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  grabber.setProcessEnvironment(env);
  grabber.start(QStringLiteral(JW_TOOLBAR_GRAB), {dir.path()});
  EXPECT_TRUE(grabber.waitForFinished(30000));
  EXPECT_EQ(grabber.exitCode(), 0) << grabber.readAllStandardError().toStdString();
  QMap<QString, QImage> grabs;
  for (const QString& name : dir.entryList({QStringLiteral("*.png")}, QDir::Files))
    grabs.insert(name, QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32));
  return grabs;
}

// Mean difference of the colour channels, 0 to 255.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

// Every tool-bar button shows at a larger screen scale the picture it shows at scale 1,
// only larger. Each grab is compared with the scale-1 grab, both resized to a quarter of
// the scale-1 size: at 1.5 the enlargement doubles some pixels and not others, which moves
// edges by a pixel; a picture moved, cut or enlarged differs at any size.
TEST(ToolBarScaleTest, ButtonsShowTheSamePictureAtEveryScale) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QMap<QString, QImage> reference = GrabToolBar(QStringLiteral("1"), temp.filePath("1"));
  ASSERT_GE(reference.size(), 10);
  const auto quarter = [](const QImage& image, const QSize& scaleOne) {
    return image.scaled(scaleOne / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  };
  const struct {
    const char* scale;
    double factor;
  } rows[] = {{"1.5", 1.5}, {"2", 2.0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.scale);
    const QMap<QString, QImage> grabs = GrabToolBar(row.scale, temp.filePath(row.scale));
    ASSERT_EQ(grabs.keys(), reference.keys());
    for (auto it = grabs.begin(); it != grabs.end(); ++it) {
      SCOPED_TRACE(it.key().toStdString());
      const QImage& one = reference[it.key()];
      // Whole pixels: a half pixel of the scaled size is rounded up.
      EXPECT_LE(std::abs(it.value().width() - one.width() * row.factor), 0.5);
      EXPECT_LE(std::abs(it.value().height() - one.height() * row.factor), 0.5);
      EXPECT_LT(MeanDifference(quarter(it.value(), one.size()), quarter(one, one.size())), 10.5);
    }
  }
}

}  // namespace
