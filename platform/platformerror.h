#pragma once

#include <QString>

#include <exception>

// A failure raised by a platform operation: a number and a description, as the error reports
// of the program show them.
class PlatformError : public std::exception
{
public:
    PlatformError(int number, QString description);

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
