#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

class colFFiles;
class FolderIndexer;

// The record of one found file. Every property is a plain stored value. A new record has empty
// names, a size of 0, an empty Key and null dates (the date value 0 of a new record is a null
// QDate, which the catalogue stores as no value).
class clsFFile
{
public:
    qint32 FileSize() const { return m_fileSize; }
    QString ShortName() const { return m_shortName; }
    QVariant Key() const { return m_key; }
    QString LongName() const { return m_longName; }
    void setLongName(const QString &name) { m_longName = name; }
    QDate DateCreated() const { return m_dateCreated; }
    void setDateCreated(const QDate &date) { m_dateCreated = date; }
    QDate DateAccessed() const { return m_dateAccessed; }
    void setDateAccessed(const QDate &date) { m_dateAccessed = date; }
    QDate DateModified() const { return m_dateModified; }
    void setDateModified(const QDate &date) { m_dateModified = date; }

private:
    // Only the program's own code sets these: the collection its Key, the indexer the size.
    friend class colFFiles;
    friend class FolderIndexer;
    void setShortName(const QString &name) { m_shortName = name; }
    void setFileSize(qint32 size) { m_fileSize = size; }
    void setKey(const QVariant &key) { m_key = key; }

    QString m_shortName;
    QString m_longName;
    qint32 m_fileSize = 0;
    QVariant m_key{QString()};
    QDate m_dateCreated;
    QDate m_dateAccessed;
    QDate m_dateModified;
};
