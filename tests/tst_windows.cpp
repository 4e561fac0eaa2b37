#include <QtTest>

class tst_windows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
