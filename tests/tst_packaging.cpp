// The program installs as a desktop program does, and its Debian package
// holds what it needs and asks for the codecs it plays with.

#include "desktop.h"

#include <QtTest>

class tst_packaging : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installsADesktopProgram();
    void theDebianPackage();
};

namespace {

// Runs a command; fails the test with its output when it fails.
QString must(const QString &program, const QStringList &arguments, const QString &workDir = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, arguments);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << program << arguments.join(u' ') << "failed:\n" << p.readAll();
        return QStringLiteral("<failed>");
    }
    return QString::fromUtf8(p.readAll());
}

const QString appId = QStringLiteral("io.github.trivelandor.relogio");

} // namespace

void tst_packaging::installsADesktopProgram()
{
    QTemporaryDir prefix;
    QVERIFY(must(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(BUILD_DIR),
                                                 QStringLiteral("--prefix"), prefix.path()})
            != QStringLiteral("<failed>"));
    const QString entry = prefix.filePath(QStringLiteral("share/applications/") + appId + QStringLiteral(".desktop"));
    const QString metainfo = prefix.filePath(QStringLiteral("share/metainfo/") + appId + QStringLiteral(".metainfo.xml"));
    QVERIFY(QFileInfo(prefix.filePath(QStringLiteral("bin/relogio"))).isExecutable());
    // The sound module, where the program looks for it.
    QVERIFY(!QDir(prefix.path()).entryList({QStringLiteral("lib*")}).isEmpty());
    QVERIFY(!must(QStringLiteral("find"), {prefix.path(), QStringLiteral("-name"), QStringLiteral("librelogio-sound.so")})
                 .trimmed()
                 .isEmpty());
    QVERIFY(must(QStringLiteral("desktop-file-validate"), {entry}) != QStringLiteral("<failed>"));
    QVERIFY(must(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo})
            != QStringLiteral("<failed>"));

    QFile f(entry);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    for (const QString &line : QStringList{QStringLiteral("Name=Relógio Trivelandor Ovalen Brakmund"),
                                QStringLiteral("Categories=Utility;Clock;"), QStringLiteral("Icon=") + appId,
                                QStringLiteral("StartupWMClass=relogio"), QStringLiteral("Exec=relogio")})
        QVERIFY2(text.contains(line + QLatin1Char('\n')), qPrintable(line));

    // The stopwatch in the icon theme, drawn and at every usual size.
    QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/") + appId
                                          + QStringLiteral(".svg"))));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage png(prefix.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + appId
                                         + QStringLiteral(".png")));
        QCOMPARE(png.size(), QSize(size, size));
        QVERIFY(png.hasAlphaChannel());
    }
}

void tst_packaging::theDebianPackage()
{
    QTemporaryDir out;
    QVERIFY(must(QStringLiteral(CPACK_COMMAND), {QStringLiteral("-B"), out.path()}, QStringLiteral(BUILD_DIR))
            != QStringLiteral("<failed>"));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("relogio_*_*.deb")});
    QCOMPARE(debs.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^relogio_\\d+\\.\\d+\\.\\d+_[a-z0-9]+\\.deb$")).match(debs.first()).hasMatch());
    const QString deb = out.filePath(debs.first());

    const QString control = must(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb});
    const QString depends = QRegularExpression(QStringLiteral("Depends: ([^\n]*)")).match(control).captured(1);
    for (const char *package : {"gstreamer1.0-plugins-good", "gstreamer1.0-plugins-ugly", "gstreamer1.0-libav",
                                "libqt6widgets6", "libqt6multimedia6", "libqt6svg6"})
        QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(depends));

    QTemporaryDir tree;
    QVERIFY(must(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, tree.path()}) != QStringLiteral("<failed>"));
    QVERIFY(!must(QStringLiteral("find"), {tree.path(), QStringLiteral("-path"), QStringLiteral("*/usr/lib/*relogio/librelogio-sound.so")})
                 .trimmed()
                 .isEmpty());
    for (const QString &file : QStringList{QStringLiteral("usr/bin/relogio"),
                                QStringLiteral("usr/share/applications/") + appId + QStringLiteral(".desktop"),
                                QStringLiteral("usr/share/metainfo/") + appId + QStringLiteral(".metainfo.xml"),
                                QStringLiteral("usr/share/icons/hicolor/scalable/apps/") + appId + QStringLiteral(".svg"),
                                QStringLiteral("usr/share/icons/hicolor/48x48/apps/") + appId + QStringLiteral(".png")})
        QVERIFY2(QFile::exists(tree.filePath(file)), qPrintable(file));
    // Stripped: the package carries the program, not its debugging data.
    QVERIFY(!must(QStringLiteral("file"), {tree.filePath(QStringLiteral("usr/bin/relogio"))})
                 .contains(QStringLiteral("with debug_info")));
}

QTEST_MAIN(tst_packaging)
#include "tst_packaging.moc"
