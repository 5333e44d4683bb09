#include <QtTest>
class TstSources final : public QObject { Q_OBJECT };
QTEST_MAIN(TstSources)
#include "tst_sources.moc"
