// SPDX-License-Identifier: GPL-3.0-or-later
// The program installs as a desktop program does, under any prefix, and its
// Debian package is one Debian's checker accepts: it holds what the program
// needs, asks for the codecs it plays with, installs and goes again cleanly.

#include <QDirIterator>
#include <QTest>

class tst_packaging : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installsADesktopProgram();
    void theDebianPackage();
    void everySourceFileNamesItsLicence();
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

// The library search paths a binary carries.
QStringList runPaths(const QString &binary)
{
    QStringList paths;
    static const QRegularExpression entry(QStringLiteral("\\((?:RUNPATH|RPATH)\\)\\s+Library r(?:un)?path: \\[(.*)\\]"));
    for (const auto &match : entry.globalMatch(must(QStringLiteral("readelf"), {QStringLiteral("-d"), binary})))
        paths << match.captured(1).split(u':');
    return paths;
}

// Under the prefix: the program, its private libraries in their multiarch
// folder, which the program's search path reaches and the libraries' own do
// not leave, and the sound module there.
void checkProgramAndLibraries(const QString &prefix)
{
    const QString program = prefix + QStringLiteral("/bin/relogio");
    QVERIFY(QFileInfo(program).isExecutable());
    const QString privateFolder = prefix + QStringLiteral("/lib/" CMAKE_LIBRARY_ARCHITECTURE "/relogio");
    const QStringList paths = runPaths(program);
    QCOMPARE(paths.size(), 1);
    QVERIFY2(paths.first().startsWith(QStringLiteral("$ORIGIN/")), qPrintable(paths.first()));
    QCOMPARE(QFileInfo(QString(paths.first()).replace(QStringLiteral("$ORIGIN"), prefix + QStringLiteral("/bin")))
                 .canonicalFilePath(),
             QFileInfo(privateFolder).canonicalFilePath());

    const QStringList libraries = QDir(privateFolder).entryList({QStringLiteral("*.so")}, QDir::Files);
    QVERIFY(libraries.contains(QStringLiteral("librelogio-sound.so")));
    for (const QString &library : libraries)
        QVERIFY2(runPaths(privateFolder + QLatin1Char('/') + library).isEmpty(), qPrintable(library));
    // The program finds the libraries it links there, and nowhere else.
    const QString linked = must(QStringLiteral("ldd"), {program});
    QVERIFY2(!linked.contains(QStringLiteral("not found")), qPrintable(linked));
    static const QRegularExpression resolved(QStringLiteral("^\\s*(\\S+) => (\\S+) \\("),
                                             QRegularExpression::MultilineOption);
    int own = 0;
    for (const auto &match : resolved.globalMatch(linked)) {
        if (libraries.contains(match.captured(1))) {
            ++own;
            QCOMPARE(QFileInfo(match.captured(2)).canonicalPath(), QFileInfo(privateFolder).canonicalFilePath());
        }
    }
    QVERIFY2(own > 0, qPrintable(linked));
}

} // namespace

void tst_packaging::installsADesktopProgram()
{
    QTemporaryDir prefix;
    QVERIFY(must(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(BUILD_DIR),
                                                 QStringLiteral("--prefix"), prefix.path()})
            != QStringLiteral("<failed>"));
    checkProgramAndLibraries(prefix.path());
    if (QTest::currentTestFailed())
        return;

    const QString entry = prefix.filePath(QStringLiteral("share/applications/") + appId + QStringLiteral(".desktop"));
    const QString metainfo = prefix.filePath(QStringLiteral("share/metainfo/") + appId + QStringLiteral(".metainfo.xml"));
    QVERIFY(must(QStringLiteral("desktop-file-validate"), {entry}) != QStringLiteral("<failed>"));
    QVERIFY(must(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo})
            != QStringLiteral("<failed>"));

    QFile f(entry);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    for (const QString &line : QStringList{QStringLiteral("Name=Relógio Trivelandor Ovalen Brakmund"),
                                QStringLiteral("Categories=Utility;Clock;"), QStringLiteral("Icon=") + appId,
                                QStringLiteral("StartupWMClass=Relogio"), QStringLiteral("Exec=relogio")})
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

    // The manual page, readable by man as installed.
    const QString page = must(QStringLiteral("man"), {QStringLiteral("-l"), prefix.filePath(QStringLiteral("share/man/man1/relogio.1.gz"))});
    for (const char *section : {"NAME", "KEYS", "FILES", "DIAGNOSTICS"})
        QVERIFY2(page.contains(QLatin1String(section)), qPrintable(page));
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
    const QString depends = QRegularExpression(QStringLiteral("\n Depends: ([^\n]*)")).match(control).captured(1);
    for (const char *package : {"gstreamer1.0-plugins-good", "gstreamer1.0-plugins-ugly", "gstreamer1.0-libav",
                                "libqt6widgets6", "libqt6multimedia6", "libqt6svg6"})
        QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(depends));

    // Debian's checker has nothing to say, not even its pedantic remarks.
    const QString lint = must(QStringLiteral("lintian"), {QStringLiteral("-EvIL"), QStringLiteral("+pedantic"),
                                                          QStringLiteral("--fail-on"), QStringLiteral("none"), deb});
    static const QRegularExpression tag(QStringLiteral("^[EWIPX]: "), QRegularExpression::MultilineOption);
    QVERIFY2(lint != QStringLiteral("<failed>") && !tag.match(lint).hasMatch(), qPrintable(lint));

    // Installed by dpkg into a root of its own, without the packages it
    // depends on, and purged again.
    QTemporaryDir root;
    for (const char *folder : {"var/lib/dpkg/info", "var/lib/dpkg/updates", "var/lib/dpkg/triggers"})
        QVERIFY(QDir(root.path()).mkpath(QLatin1String(folder)));
    QFile status(root.filePath(QStringLiteral("var/lib/dpkg/status")));
    QVERIFY(status.open(QIODevice::WriteOnly));
    status.close();
    const QStringList dpkg{QStringLiteral("--force-not-root"), QStringLiteral("--root=") + root.path(),
                           QStringLiteral("--log=/dev/null"), QStringLiteral("--force-depends")};
    QVERIFY(must(QStringLiteral("dpkg"), dpkg + QStringList{QStringLiteral("--install"), deb}) != QStringLiteral("<failed>"));

    const QStringList contents = must(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(contents.size() > 20);
    for (const QString &line : contents) {
        const QString path = line.section(u' ', -1);
        QVERIFY2(QFileInfo::exists(root.filePath(path)), qPrintable(path));
    }
    checkProgramAndLibraries(root.filePath(QStringLiteral("usr")));
    for (const QString &file : QStringList{QStringLiteral("usr/share/applications/") + appId + QStringLiteral(".desktop"),
                                QStringLiteral("usr/share/metainfo/") + appId + QStringLiteral(".metainfo.xml"),
                                QStringLiteral("usr/share/icons/hicolor/scalable/apps/") + appId + QStringLiteral(".svg"),
                                QStringLiteral("usr/share/icons/hicolor/48x48/apps/") + appId + QStringLiteral(".png"),
                                QStringLiteral("usr/share/man/man1/relogio.1.gz"),
                                QStringLiteral("usr/share/doc/relogio/copyright"),
                                QStringLiteral("usr/share/doc/relogio/changelog.gz")})
        QVERIFY2(QFile::exists(root.filePath(file)), qPrintable(file));
    // Stripped: the package carries the program, not its debugging data.
    QVERIFY(!must(QStringLiteral("file"), {root.filePath(QStringLiteral("usr/bin/relogio"))})
                 .contains(QStringLiteral("with debug_info")));

    QVERIFY(must(QStringLiteral("dpkg"), dpkg + QStringList{QStringLiteral("--purge"), QStringLiteral("relogio")})
            != QStringLiteral("<failed>"));
    QDirIterator left(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (left.hasNext()) {
        const QString path = QDir(root.path()).relativeFilePath(left.next());
        QVERIFY2(path == QStringLiteral("var") || path == QStringLiteral("var/lib") || path.startsWith(QStringLiteral("var/lib/dpkg")),
                 qPrintable(path));
    }
}

void tst_packaging::everySourceFileNamesItsLicence()
{
    // C++ and CMake files and scripts, outside hidden folders and builds.
    QStringList unmarked;
    int examined = 0;
    std::function<void(const QDir &)> visit = [&](const QDir &dir) {
        if (dir.exists(QStringLiteral("CMakeCache.txt")))
            return;
        for (const QFileInfo &entry : dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot)) {
            if (entry.isDir()) {
                visit(QDir(entry.filePath()));
                continue;
            }
            QFile file(entry.filePath());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray head = file.read(400);
            const QString name = entry.fileName();
            const bool source = name.endsWith(QStringLiteral(".cpp")) || name.endsWith(QStringLiteral(".h"))
                || name.endsWith(QStringLiteral(".cmake")) || name.endsWith(QStringLiteral(".sh"))
                || name == QStringLiteral("CMakeLists.txt") || head.startsWith("#!");
            examined += source ? 1 : 0;
            if (source && !head.split('\n').mid(0, 3).join('\n').contains("SPDX-License-Identifier: GPL-3.0-or-later"))
                unmarked << QDir(QStringLiteral(SOURCE_DIR)).relativeFilePath(entry.filePath());
        }
    };
    visit(QDir(QStringLiteral(SOURCE_DIR)));
    QVERIFY(examined > 50);
    QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(u' ')));
}

QTEST_MAIN(tst_packaging)
#include "tst_packaging.moc"
