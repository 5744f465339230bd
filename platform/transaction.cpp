#include "platform/transaction.h"

#include "platform/connection.h"

Transaction::Transaction(Connection &connection, Kind kind) : m_connection(connection)
{
    m_connection.begin(kind == Kind::Write);
}

Transaction::~Transaction()
{
    if (m_open)
        m_connection.rollback();
}

void Transaction::commit()
{
    m_connection.commit();
    m_open = false;
}
