// The profiles of one user: the built-in "Standard", the user's own in profiles.json (in the
// data folder the window and tarvello-cli share), and the plant's last fetched copy in
// plant-profiles.json beside it (read-only here; a plant profile wins over a local one of the
// same name). Files are written with the parameter file's own atomic save.
//
// A profiles.json that does not parse is reported with its line and column and kept as it is:
// the store then offers "Standard" (and the plant's) and refuses every change, so the file is
// never overwritten until someone mends or removes it.
#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "records/Profile.h"

namespace tarvello::records {

class ProfileStore {
  public:
    // folder: where profiles.json and plant-profiles.json live (DataFolder() by default).
    explicit ProfileStore(QString folder);

    // Reads both files (a missing file is an empty one). False when the user's file could not
    // be read or parsed: error then says why, with its line and column.
    bool Load(QString* error);
    bool Damaged() const { return m_damaged; }

    // Every profile: "Standard" first, then by name; a plant profile in place of a local one of
    // the same name (shadowed reports the names so replaced).
    QList<Profile> All(QStringList* shadowed = nullptr) const;
    // By name; nullopt with a clear error when there is none.
    std::optional<Profile> Find(const QString& name, QString* error) const;

    // Adds or (with replace) replaces a local profile, its version counted on from the one it
    // replaces, and saves. Refused for "Standard", a plant profile's name, a damaged file, and
    // an existing name without replace.
    bool Put(Profile profile, bool replace, QString* error);
    bool Remove(const QString& name, QString* error);
    // Replaces the plant's copy (what the plant database gave last) and saves it.
    bool PutPlant(const QList<Profile>& plant, QString* error);

    // Export: one profile or all local ones as JSON text; import: every profile of such a text
    // (refused whole when one of them is refused).
    QByteArray Export(const QStringList& names, QString* error) const;
    bool Import(const QByteArray& json, bool replace, QStringList* imported, QString* error);

    QString LocalPath() const;
    QString PlantPath() const;

  private:
    bool SaveFile(const QString& path, const QList<Profile>& profiles, QString* error) const;
    int IndexOf(const QList<Profile>& list, const QString& name) const;

    QString m_folder;
    QList<Profile> m_local;
    QList<Profile> m_plant;
    bool m_damaged = false;
};

// Parses a {"schema", "profiles": [...]} text (or one profile object). False with the line and
// column (parse errors) or the profile's fault.
bool ParseProfiles(const QByteArray& text, ProfileSource source, QList<Profile>& out,
                   QString* error);

} // namespace tarvello::records
