#include "window/main/rememberedlayout.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>

namespace {

QString key(const QString &name, const char *what)
{
    return QStringLiteral("layout/%1/%2").arg(name, QLatin1String(what));
}

} // namespace

namespace RememberedLayout {

bool restore(QWidget *window, QHeaderView *columns, const QString &name)
{
    const QSettings kept(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    const QByteArray geometry = kept.value(key(name, "geometry")).toByteArray();
    if (geometry.isEmpty())
        return false;
    window->restoreGeometry(geometry);
    if (columns) {
        const int count = columns->count();
        // A state of another number of columns (an older version's) is not given back.
        if (kept.value(key(name, "columnCount")).toInt() == count)
            columns->restoreState(kept.value(key(name, "columns")).toByteArray());
    }
    return true;
}

void save(const QWidget *window, const QHeaderView *columns, const QString &name)
{
    QSettings kept(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    kept.setValue(key(name, "geometry"), window->saveGeometry());
    if (columns) {
        kept.setValue(key(name, "columns"), columns->saveState());
        kept.setValue(key(name, "columnCount"), columns->count());
    }
}

} // namespace RememberedLayout
