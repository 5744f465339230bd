#include "support/loadedcatalogue.h"
#include "support/testcatalogue.h"
#include "window/list/cataloguelistmodel.h"

#include <QtTest>

// The one folding rule as its users apply it: the search (its name index, its match and its
// order) and the list's sorting.
class TestCaseFold : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameNameOrNot_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("sharp s") << "Straße"
                                 << "STRASSE" << true;
        QTest::newRow("final sigma") << "ΟΔΟΣ"
                                     << "οδος" << true;
        QTest::newRow("ligature") << "ﬁle"
                                  << "FILE" << true;
        QTest::newRow("dotted capital I") << "İ"
                                          << "i\u0307" << true;
        QTest::newRow("dotless i") << "I"
                                   << "ı" << false;
        QTest::newRow("accent case") << "ÉCOLE"
                                     << "école" << true;
        QTest::newRow("accent") << "e"
                                << "é" << false;
    }
    void sameNameOrNot()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);

        // Each name found by searching for the other, through the name index and past it.
        CatalogueFixture file;
        file.addRow("/d", a + ".txt");
        LoadedCatalogue loaded;
        loaded.Form_Load(file.folder());
        file.addRow("/d", b + ".txt"); // after the index took in the first
        for (const QString &text : {a, b}) {
            loaded.catalogue.openSearchView(text);
            loaded.list.RefreshLv();
            QCOMPARE(loaded.list.count(), same ? 2 : 1);
        }
    }

    // The search view's order (the collation) and the list's own sort by File agree.
    void orderAgrees()
    {
        CatalogueFixture file;
        for (const QString &name :
             {"zeta", "Straßb", "STRASSE", "strasse", "Straße", "ﬁn", "FIN", "fio", "ΟΔΟΣ", "οδοσ",
              "éa", "Eb", "ea", "İa", "ia", "ıa", "Ia", "bad\xff"})
            file.addRow("/d", name);
        LoadedCatalogue loaded;
        loaded.Form_Load(file.folder());
        loaded.catalogue.openSearchView(QString());
        loaded.list.RefreshLv();
        const QStringList collated = TestCatalogue::listed(loaded.list);
        loaded.catalogue.openFullView();
        loaded.list.RefreshLv();
        loaded.list.sortBy(CatalogueListModel::File, 0);
        QCOMPARE(TestCatalogue::listed(loaded.list), collated);
        QCOMPARE(collated.first(), QStringLiteral("bad\uFFFD"));
    }
};

QTEST_GUILESS_MAIN(TestCaseFold)
#include "tst_casefold.moc"
