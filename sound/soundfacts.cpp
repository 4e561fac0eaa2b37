// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/soundfacts.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {

// The attribute values of the sound facts. Linux has no such bits; they are
// read off the file as it stands, whoever looks: read-only when its owner
// may not write it, hidden when its name begins with a point, a system file
// when it is a device, a pipe or a socket. Nothing is an archive.
enum Attribute { ReadOnly = 1, Hidden = 2, System = 4, Folder = 16, Archive = 32 };

int attributesOf(const QFileInfo &info)
{
    int value = 0;
    if (!(info.permissions() & QFileDevice::WriteOwner))
        value |= ReadOnly;
    if (info.fileName().startsWith(QLatin1Char('.')))
        value |= Hidden;
    if (info.isDir())
        value |= Folder;
    else if (!info.isFile())
        value |= System;
    return value;
}

QString attributeText(int value)
{
    switch (value) {
    case 0:
    case Archive:
        return QStringLiteral("Normal");
    case ReadOnly:
        return QStringLiteral("Somente Leitura");
    case Hidden:
        return QStringLiteral("Oculto");
    case System:
        return QStringLiteral("Arquivo de Sistema");
    case Folder:
        return QStringLiteral("Diretório ou Pasta");
    default:
        return QString::number(value);
    }
}

// The date in the user's short format and the time in the user's long
// format, without the time zone that Qt's long format adds.
QString regionalDateTime(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(when.time(), timeFormat.trimmed());
}

} // namespace

SoundFacts soundFacts(const QString &path)
{
    SoundFacts facts;
    facts.path = path;
    // Looked up as an ordinary file: hidden files, folders and special files
    // are not found.
    const QFileInfo file(path);
    if (!path.isEmpty() && file.isFile() && !file.fileName().startsWith(QLatin1Char('.')))
        facts.name = file.fileName();
    // The last four characters, by count: ".wma" gives ".WMA".
    facts.extension = facts.name.right(4).toUpper();
    // The other facts are those of the path itself, whatever it names; a
    // path that names nothing has none.
    if (path.isEmpty() || !file.exists())
        return facts;
    // Sizes are 64-bit: a file past 2 GiB shows its true size.
    facts.size = QString::number(file.isFile() ? file.size() : 0);
    facts.modified = regionalDateTime(file.lastModified());
    facts.attributes = attributeText(attributesOf(file));
    return facts;
}
