// kadenzo-icon-render: writes the program icon into an icon theme directory
// at the sizes asked for, as SIZExSIZE/apps/NAME.png. The build runs it on
// app/icon/kadenzo.xpm, so the PNGs are never edited or kept in the sources.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "tools/icons/icon_scale.h"

namespace {

int Fail(const QString& message) {
  std::fprintf(stderr, "kadenzo-icon-render: %s\n", qPrintable(message));
  return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: kadenzo-icon-render SOURCE THEME_DIR NAME SIZE...\n");
    return 2;
  }
  const QString sourcePath = QString::fromLocal8Bit(argv[1]);
  const QDir themeDir(QString::fromLocal8Bit(argv[2]));
  const QString name = QString::fromLocal8Bit(argv[3]);

  const QImage source(sourcePath);
  if (source.isNull()) return Fail(QStringLiteral("cannot read %1").arg(sourcePath));
  if (source.width() != source.height()) return Fail(QStringLiteral("%1 is not square").arg(sourcePath));

  for (int i = 4; i < argc; ++i) {
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
    if (!ok || size <= 0 || size > 1024) return Fail(QStringLiteral("bad size '%1'").arg(argv[i]));
    const QString appsDir = QStringLiteral("%1x%1/apps").arg(size);
    if (!themeDir.mkpath(appsDir)) return Fail(QStringLiteral("cannot make %1").arg(themeDir.filePath(appsDir)));
    const QString path = themeDir.filePath(QStringLiteral("%1/%2.png").arg(appsDir, name));
    if (!kadenzo::icons::ScaleSharp(source, size).save(path, "PNG")) return Fail(QStringLiteral("cannot write %1").arg(path));
  }
  return EXIT_SUCCESS;
}
