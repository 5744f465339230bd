#pragma once

#include <QString>
#include <QtGlobal>

class VolumeQuery;

// The disc identity stamped on every catalogued file. A failed query gives a label of 14 blanks
// and leaves serial as the caller had it; no error is raised. Returns whether the query answered.
bool GetVolumeId(const QString &root, QString &label, QString &serial, VolumeQuery &query);
// The label and serial texts of a successful query's answer.
void FormatVolumeId(QString answer, quint32 number, QString &label, QString &serial);

qint16 HiWord(qint32 value);
qint16 LoWord(qint32 value);
