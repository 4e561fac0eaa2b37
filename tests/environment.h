// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sets variables of this process's environment (a null value unsets one)
// for as long as it lives, and puts back what was there on every path out,
// a failing test's too.

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>

#include <optional>
#include <utility>

class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const QProcessEnvironment &values)
    {
        for (const QString &name : values.keys())
            set(name.toLocal8Bit(), values.value(name).toLocal8Bit());
    }
    EnvironmentGuard(const char *name, const QByteArray &value) { set(name, value); }
    ~EnvironmentGuard()
    {
        for (auto it = m_before.rbegin(); it != m_before.rend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }
    EnvironmentGuard(const EnvironmentGuard &) = delete;
    EnvironmentGuard &operator=(const EnvironmentGuard &) = delete;

private:
    void set(const QByteArray &name, const QByteArray &value)
    {
        m_before.append({name, qEnvironmentVariableIsSet(name.constData())
                                   ? std::optional<QByteArray>(qgetenv(name.constData()))
                                   : std::nullopt});
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_before;
};
