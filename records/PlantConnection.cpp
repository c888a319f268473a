#include "records/PlantConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace tarvello::records {

namespace {

const char kPasswordAdvice[] =
    "the plant database's connection string holds a password, which would show in the process "
    "list: remove it and give the password through ~/.pgpass, PGPASSFILE, a service file or a "
    "client certificate";

bool IsKeyChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// One value of the key=value form: single-quoted with backslash escapes, or up to white space.
bool ReadValue(const QString& s, int* i, QString* value, QString* error) {
    const int n = s.size();
    if (*i < n && s[*i] == QLatin1Char('\'')) {
        for (++*i; *i < n; ++*i) {
            if (s[*i] == QLatin1Char('\\') && *i + 1 < n) {
                value->append(s[++*i]);
            } else if (s[*i] == QLatin1Char('\'')) {
                ++*i;
                return true;
            } else {
                value->append(s[*i]);
            }
        }
        *error = QStringLiteral("unterminated quoted value in the plant database's connection "
                                "string");
        return false;
    }
    for (; *i < n && !s[*i].isSpace(); ++*i) {
        if (s[*i] == QLatin1Char('\\') && *i + 1 < n)
            ++*i;
        value->append(s[*i]);
    }
    return true;
}

bool ParseKeywordForm(const QString& s, PlantConnection* out, QString* error) {
    const int n = s.size();
    int i = 0;
    for (;;) {
        while (i < n && s[i].isSpace())
            ++i;
        if (i >= n)
            return true;
        const int start = i;
        while (i < n && IsKeyChar(s[i]))
            ++i;
        const QString key = s.mid(start, i - start);
        while (i < n && s[i].isSpace())
            ++i;
        if (key.isEmpty() || i >= n || s[i] != QLatin1Char('=')) {
            *error = QStringLiteral("the plant database's connection string is not key=value "
                                    "pairs (near \"%1\")")
                         .arg(s.mid(start, 20));
            return false;
        }
        ++i;
        while (i < n && s[i].isSpace())
            ++i;
        QString value;
        if (!ReadValue(s, &i, &value, error))
            return false;
        out->params.append({key, value});
    }
}

bool ParseUriForm(const QString& s, PlantConnection* out, QString* error) {
    const QUrl url(s, QUrl::StrictMode);
    if (!url.isValid()) {
        *error = QStringLiteral("the plant database's URI is not valid: %1").arg(url.errorString());
        return false;
    }
    if (!url.password().isEmpty()) {
        *error = QString::fromLatin1(kPasswordAdvice);
        return false;
    }
    if (!url.host().isEmpty())
        out->params.append({QStringLiteral("host"), url.host()});
    if (url.port() != -1)
        out->params.append({QStringLiteral("port"), QString::number(url.port())});
    const QString db = url.path(QUrl::FullyDecoded).mid(1);
    if (!db.isEmpty())
        out->params.append({QStringLiteral("dbname"), db});
    if (!url.userName().isEmpty())
        out->params.append({QStringLiteral("user"), url.userName(QUrl::FullyDecoded)});
    for (const auto& item : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        out->params.append({item.first, item.second});
    return true;
}

// A value as libpq reads it in a connection string: quoted, with \ and ' escaped.
QString Quoted(const QString& v) {
    QString q = v;
    q.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

} // namespace

QString PlantConnection::Value(const QString& key) const {
    QString found;
    for (const auto& p : params)
        if (p.first == key)
            found = p.second; // libpq takes the last one given
    return found;
}

QString PlantConnection::PlantName() const {
    QStringList parts;
    for (const char* key : {"host", "port", "dbname", "user"}) {
        const QString v = Value(QString::fromLatin1(key));
        if (!v.isEmpty())
            parts << QString::fromLatin1(key) + QLatin1Char('=') + v;
    }
    return parts.join(QLatin1Char(' '));
}

bool ParsePlantConnection(const QString& conninfo, PlantConnection* out, QString* error) {
    PlantConnection c;
    const QString s = conninfo.trimmed();
    const bool uri =
        s.startsWith(QLatin1String("postgresql://")) || s.startsWith(QLatin1String("postgres://"));
    if (!(uri ? ParseUriForm(s, &c, error) : ParseKeywordForm(s, &c, error)))
        return false;
    for (const auto& p : c.params) {
        if (p.first == QLatin1String("password")) {
            *error = QString::fromLatin1(kPasswordAdvice);
            return false;
        }
        // Qt hands the connect options to libpq with ';' read as a separator.
        if (p.second.contains(QLatin1Char(';'))) {
            *error = QStringLiteral("the plant database's connection string has a ';' in the "
                                    "value of %1, which cannot be passed on")
                         .arg(p.first);
            return false;
        }
    }
    // libpq waits for ever by default: for the connection, and for an answer on a connection
    // whose network went away (TCP keepalives end that within about a minute).
    const char* const defaults[][2] = {{"connect_timeout", "5"},
                                       {"keepalives", "1"},
                                       {"keepalives_idle", "30"},
                                       {"keepalives_interval", "10"},
                                       {"keepalives_count", "3"}};
    for (const auto& d : defaults)
        if (c.Value(QString::fromLatin1(d[0])).isEmpty())
            c.params.append({QString::fromLatin1(d[0]), QString::fromLatin1(d[1])});
    *out = c;
    return true;
}

QSqlDatabase AddPlantDatabase(const PlantConnection& c, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    QStringList options;
    for (const auto& p : c.params) {
        if (p.first == QLatin1String("host"))
            db.setHostName(p.second);
        else if (p.first == QLatin1String("port"))
            db.setPort(p.second.toInt());
        else if (p.first == QLatin1String("dbname"))
            db.setDatabaseName(p.second);
        else if (p.first == QLatin1String("user"))
            db.setUserName(p.second);
        else
            options << p.first + QLatin1Char('=') + Quoted(p.second);
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
    return db;
}

bool OpenPlantDatabase(QSqlDatabase& db, QString* error) {
    if (!db.isValid()) {
        *error = QStringLiteral("the PostgreSQL driver (QPSQL) is not installed");
        return false;
    }
    if (!db.open()) {
        *error = QStringLiteral("cannot connect to the plant database as user \"%1\": %2")
                     .arg(db.userName(), db.lastError().text().trimmed());
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SET statement_timeout = %1").arg(kPlantStatementTimeoutMs))) {
        *error = q.lastError().text();
        db.close();
        return false;
    }
    return true;
}

} // namespace tarvello::records
