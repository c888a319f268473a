// Media profiles: the built-in one cannot be changed, a damaged file is reported with its line
// and column and never overwritten, import replaces only when asked and is all or nothing, a
// plant profile wins over a local one of the same name, and the file is written whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "records/ProfileStore.h"
#include "records/VerdictText.h"

using namespace tarvello::records;

namespace {

Profile Named(const QString& name, double pass = 0.08) {
    Profile p;
    p.name = name;
    p.reflectiveStandard = 2.5;
    p.criteria.contrastPass = pass;
    return p;
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Profiles, StandardIsBuiltInAndOthersRoundTripThroughTheFile) {
    QTemporaryDir dir;
    ProfileStore store(dir.path());
    ASSERT_TRUE(store.Load(nullptr)); // no file yet
    ASSERT_EQ(store.All().size(), 1);
    EXPECT_EQ(store.All()[0].name, "Standard");
    EXPECT_FALSE(store.All()[0].reflectiveStandard); // from the parameter file
    QString error;
    EXPECT_FALSE(store.Put(Named("Standard"), true, &error));
    EXPECT_FALSE(store.Find("Thermal", &error));
    EXPECT_TRUE(error.contains("Thermal"));

    ASSERT_TRUE(store.Put(Named("Thermal"), false, &error)) << error.toStdString();
    EXPECT_FALSE(store.Put(Named("Thermal", 0.1), false, &error)); // exists: only when asked
    ASSERT_TRUE(store.Put(Named("Thermal", 0.1), true, &error));
    ProfileStore again(dir.path());
    ASSERT_TRUE(again.Load(&error));
    const auto found = again.Find("Thermal", &error);
    ASSERT_TRUE(found);
    EXPECT_DOUBLE_EQ(found->criteria.contrastPass, 0.1);
    EXPECT_EQ(found->version, 2);
    EXPECT_DOUBLE_EQ(*found->reflectiveStandard, 2.5);
    EXPECT_FALSE(found->transmissiveStandard);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.tmp-*"}, QDir::Files).isEmpty());
}

TEST(Profiles, DamagedFileIsReportedWithLineAndColumnAndKept) {
    QTemporaryDir dir;
    const QByteArray broken = "{\"schema\": 1,\n  \"profiles\": [\n    {\"name\": \"A\",}\n]}";
    QFile file(dir.filePath("profiles.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(broken);
    file.close();
    ProfileStore store(dir.path());
    QString error;
    EXPECT_FALSE(store.Load(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("第 3 行"))) << error.toStdString();
    EXPECT_EQ(store.All().size(), 1); // "Standard" goes on
    EXPECT_FALSE(store.Put(Named("B"), false, &error));
    EXPECT_EQ(Read(dir.filePath("profiles.json")), broken);
}

TEST(Profiles, ImportIsAllOrNothingAndPlantProfilesWin) {
    QTemporaryDir source, target;
    ProfileStore a(source.path());
    a.Load(nullptr);
    ASSERT_TRUE(a.Put(Named("One"), false, nullptr));
    ASSERT_TRUE(a.Put(Named("Two"), false, nullptr));
    const QByteArray both = a.Export({}, nullptr);

    ProfileStore b(target.path());
    b.Load(nullptr);
    ASSERT_TRUE(b.Put(Named("Two", 0.2), false, nullptr));
    QString error;
    QStringList imported;
    EXPECT_FALSE(b.Import(both, false, &imported, &error)); // "Two" exists
    EXPECT_EQ(b.All().size(), 2);                           // nothing of "One" either
    EXPECT_TRUE(b.Import(both, true, &imported, &error)) << error.toStdString();
    EXPECT_EQ(b.All().size(), 3);
    EXPECT_DOUBLE_EQ(b.Find("Two", nullptr)->criteria.contrastPass, 0.08);
    EXPECT_FALSE(b.Import("{\"profiles\": [{\"name\": \"X\", \"steps\": {\"reflective\": "
                          "[\"dance\"]}}]}",
                          true, nullptr, &error));
    EXPECT_TRUE(error.contains("dance"));
    EXPECT_TRUE(error.contains("“X”")) << error.toStdString(); // which profile of the file

    Profile plant = Named("Two", 0.05);
    ASSERT_TRUE(b.PutPlant({plant}, nullptr));
    QStringList shadowed;
    const auto all = b.All(&shadowed);
    EXPECT_EQ(shadowed, QStringList{"Two"});
    EXPECT_EQ(b.Find("Two", nullptr)->source, ProfileSource::kPlant);
    EXPECT_FALSE(b.Put(Named("Two"), true, &error)); // read-only here
    ASSERT_TRUE(b.PutPlant({plant, Named("Plant only")}, nullptr));
    EXPECT_FALSE(b.Remove("Plant only", &error));
    EXPECT_TRUE(error.contains("只读")) << error.toStdString();
    EXPECT_FALSE(b.Remove("Standard", &error));
    EXPECT_TRUE(error.contains("内置")) << error.toStdString();
}

// The first sentence a page or the command line shows is the reason of the verdict.
TEST(VerdictSentences, FailsComeBeforeMarginals) {
    verdict::Result result;
    result.criteria = {{"headroom", verdict::Outcome::kMarginal, 19.0, 32.0, std::nullopt},
                       {"band", verdict::Outcome::kPass, 2.45, std::nullopt, std::nullopt},
                       {"contrast_check", verdict::Outcome::kFail, 0.08, 0.30, 0.15}};
    const QStringList sentences = FailingSentences(result, Sensor::Reflective);
    ASSERT_EQ(sentences.size(), 2);
    EXPECT_EQ(sentences[0], CriterionSentence(result.criteria[2], Sensor::Reflective));
    EXPECT_EQ(sentences[1], CriterionSentence(result.criteria[0], Sensor::Reflective));
}
