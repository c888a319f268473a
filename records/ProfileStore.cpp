#include "records/ProfileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

#include "records/RecordSql.h"
#include "store/AtomicSave.h"

namespace tarvello::records {

namespace {

bool ReadFile(const QString& path, QByteArray& text, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        text.clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QCoreApplication::translate("ProfileStore", "无法读取 %1：%2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    text = file.readAll();
    return true;
}

} // namespace

bool ParseProfiles(const QByteArray& text, ProfileSource source, QList<Profile>& out,
                   QString* error) {
    out.clear();
    if (text.trimmed().isEmpty())
        return true;
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    if (parse.error != QJsonParseError::NoError) {
        int line = 0, column = 0;
        LineAndColumn(text, parse.offset, &line, &column);
        return Fail(error, QCoreApplication::translate("ProfileStore", "第 %1 行第 %2 列：%3")
                               .arg(line)
                               .arg(column)
                               .arg(parse.errorString()));
    }
    const QJsonObject root = doc.object();
    const QJsonArray list = root.contains(QLatin1String("profiles"))
                                ? root.value(QLatin1String("profiles")).toArray()
                                : QJsonArray{root};
    for (const QJsonValue& value : list) {
        Profile p;
        if (!ProfileFromJson(value.toObject(), p, error))
            return false;
        p.source = source;
        out << p;
    }
    return true;
}

ProfileStore::ProfileStore(QString folder) : m_folder(std::move(folder)) {}

QString ProfileStore::LocalPath() const {
    return m_folder + QStringLiteral("/profiles.json");
}

QString ProfileStore::PlantPath() const {
    return m_folder + QStringLiteral("/plant-profiles.json");
}

bool ProfileStore::Load(QString* error) {
    m_damaged = false;
    QByteArray text;
    QString why;
    QList<Profile> plant;
    if (ReadFile(PlantPath(), text, &why))
        ParseProfiles(text, ProfileSource::kPlant, plant, &why); // a bad copy: none
    m_plant = plant;
    if (!ReadFile(LocalPath(), text, &why) ||
        !ParseProfiles(text, ProfileSource::kLocal, m_local, &why)) {
        m_local.clear();
        m_damaged = true;
        return Fail(error, QCoreApplication::translate(
                               "ProfileStore",
                               "介质配置文件 %1 无法读取（%2）；文件保持原样，使用“Standard”")
                               .arg(QDir::toNativeSeparators(LocalPath()), why));
    }
    return true;
}

int ProfileStore::IndexOf(const QList<Profile>& list, const QString& name) const {
    for (int k = 0; k < list.size(); ++k)
        if (list[k].name == name)
            return k;
    return -1;
}

QList<Profile> ProfileStore::All(QStringList* shadowed) const {
    QList<Profile> all = m_plant;
    for (const Profile& p : m_local) {
        if (IndexOf(m_plant, p.name) >= 0) {
            if (shadowed)
                *shadowed << p.name;
        } else {
            all << p;
        }
    }
    std::sort(all.begin(), all.end(),
              [](const Profile& a, const Profile& b) { return a.name < b.name; });
    all.prepend(BuiltInProfile());
    return all;
}

std::optional<Profile> ProfileStore::Find(const QString& name, QString* error) const {
    for (const Profile& p : All())
        if (p.name == name)
            return p;
    Fail(error, QCoreApplication::translate("ProfileStore", "没有名为“%1”的介质配置").arg(name));
    return std::nullopt;
}

bool ProfileStore::Put(Profile profile, bool replace, QString* error) {
    profile.name = profile.name.trimmed();
    if (m_damaged)
        return Fail(error, QCoreApplication::translate("ProfileStore",
                                                       "介质配置文件已损坏，请先修复或删除 %1")
                               .arg(QDir::toNativeSeparators(LocalPath())));
    if (profile.name.isEmpty() || profile.name == QLatin1String(kBuiltInProfileName))
        return Fail(error, QCoreApplication::translate(
                               "ProfileStore", "“Standard”是内置配置，不能更改；请另取名称保存"));
    if (IndexOf(m_plant, profile.name) >= 0)
        return Fail(error,
                    QCoreApplication::translate("ProfileStore", "“%1”是工厂数据库的配置，在此只读")
                        .arg(profile.name));
    QList<Profile> local = m_local;
    const int at = IndexOf(local, profile.name);
    if (at >= 0 && !replace)
        return Fail(error, QCoreApplication::translate("ProfileStore",
                                                       "已有名为“%1”的介质配置（替换需确认）")
                               .arg(profile.name));
    profile.source = ProfileSource::kLocal;
    profile.version = at >= 0 ? std::max(profile.version, local[at].version + 1) : profile.version;
    if (at >= 0)
        local[at] = profile;
    else
        local << profile;
    if (!SaveFile(LocalPath(), local, error))
        return false;
    m_local = local;
    return true;
}

bool ProfileStore::Remove(const QString& name, QString* error) {
    // Why a profile cannot go, in the words a person looks for.
    if (m_damaged)
        return Fail(error, QCoreApplication::translate("ProfileStore",
                                                       "介质配置文件已损坏，请先修复或删除 %1")
                               .arg(QDir::toNativeSeparators(LocalPath())));
    if (name == QLatin1String(kBuiltInProfileName))
        return Fail(error,
                    QCoreApplication::translate("ProfileStore", "“Standard”是内置配置，不能删除"));
    const int at = IndexOf(m_local, name);
    if (at < 0)
        return Fail(
            error,
            IndexOf(m_plant, name) >= 0
                ? QCoreApplication::translate("ProfileStore", "“%1”是工厂数据库的配置，在此只读")
                      .arg(name)
                : QCoreApplication::translate("ProfileStore", "没有名为“%1”的本地介质配置")
                      .arg(name));
    QList<Profile> local = m_local;
    local.removeAt(at);
    if (!SaveFile(LocalPath(), local, error))
        return false;
    m_local = local;
    return true;
}

bool ProfileStore::PutPlant(const QList<Profile>& plant, QString* error) {
    QList<Profile> copy = plant;
    for (Profile& p : copy)
        p.source = ProfileSource::kPlant;
    if (!SaveFile(PlantPath(), copy, error))
        return false;
    m_plant = copy;
    return true;
}

QByteArray ProfileStore::Export(const QStringList& names, QString* error) const {
    QJsonArray list;
    for (const Profile& p : All()) {
        if ((names.isEmpty() && p.source != ProfileSource::kBuiltIn) || names.contains(p.name))
            list.append(ProfileToJson(p));
    }
    for (const QString& name : names)
        if (!Find(name, error))
            return QByteArray();
    return QJsonDocument(QJsonObject{{"schema", kProfileSchema}, {"profiles", list}}).toJson();
}

bool ProfileStore::Import(const QByteArray& json, bool replace, QStringList* imported,
                          QString* error) {
    QList<Profile> incoming;
    if (!ParseProfiles(json, ProfileSource::kLocal, incoming, error))
        return false;
    const QList<Profile> before = m_local;
    int done = 0;
    for (const Profile& p : incoming) {
        if (!Put(p, replace, error)) {
            if (done > 0)
                SaveFile(LocalPath(), before, nullptr); // all or nothing
            m_local = before;
            return false;
        }
        ++done;
        if (imported)
            *imported << p.name;
    }
    return true;
}

bool ProfileStore::SaveFile(const QString& path, const QList<Profile>& profiles,
                            QString* error) const {
    if (!QDir().mkpath(m_folder))
        return Fail(error, QCoreApplication::translate("ProfileStore", "无法创建文件夹 %1")
                               .arg(QDir::toNativeSeparators(m_folder)));
    QJsonArray list;
    for (const Profile& p : profiles)
        list.append(ProfileToJson(p));
    const QByteArray text =
        QJsonDocument(QJsonObject{{"schema", kProfileSchema}, {"profiles", list}}).toJson();
    std::FILE* file = nullptr;
    if (!SaveThroughTempFile(QFile::encodeName(path).toStdString(), text.toStdString(), file))
        return Fail(error, QCoreApplication::translate("ProfileStore", "无法保存 %1")
                               .arg(QDir::toNativeSeparators(path)));
    return true;
}

} // namespace tarvello::records
