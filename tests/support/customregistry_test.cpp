#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Title = QStringLiteral("Kalumo Bingo");
constexpr quint32 Untouched = 12345;

struct ParseCase
{
    const char *path;
    bool refused;        // shown as "Incorrect Format:", nothing changed
    quint32 root;        // when not refused
    const char *subKey;  // when not refused
};

class ParseKeyPathTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseKeyPathTable, SplitsTheRootKeyFromTheSubkeyOrShowsTheFormatError)
{
    const ParseCase &c = GetParam();
    FileRegistry registry({});
    RecordingMessageBoxes boxes;
    const CustomRegistry custom(registry, boxes, Title);
    const QString original = QString::fromUtf8(c.path);
    QString path = original;
    quint32 root = Untouched;

    custom.ParseKeyPath(path, root);

    if (c.refused) {
        EXPECT_EQ(path, original);
        EXPECT_EQ(root, Untouched);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].kind, ShownBox::Plain);
        EXPECT_EQ(boxes.shown[0].title, Title);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Incorrect Format:\n\n") + original);
    } else {
        EXPECT_EQ(path, QString::fromUtf8(c.subKey));
        EXPECT_EQ(root, c.root);
        EXPECT_TRUE(boxes.shown.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ParseKeyPathTable, ::testing::Values(
    ParseCase{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games", false, RootKey::LocalMachine, "SOFTWARE\\Kalumo\\Games"},
    ParseCase{"HKEY_CURRENT_USER", false, RootKey::CurrentUser, ""},
    ParseCase{"HKEY_DYN_DATA\\a", false, RootKey::DynData, "a"},
    ParseCase{"HKEY_local_machine\\SOFTWARE", false, 0, "SOFTWARE"},
    ParseCase{"HKEY_FOO\\Bar", false, 0, "Bar"},
    ParseCase{"HKEY_", false, 0, ""},
    ParseCase{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games\\", true, 0, ""},
    ParseCase{"HKEY_USERS\\", true, 0, ""},
    ParseCase{"hkey_local_machine\\SOFTWARE\\Kalumo\\Games", true, 0, ""},
    ParseCase{"HKEY", true, 0, ""},
    ParseCase{"", true, 0, ""},
    ParseCase{" HKEY_USERS", true, 0, ""}));

TEST(RootKeyFromName, KnowsTheSevenRootKeysByTheirExactNames)
{
    const std::pair<const char *, quint32> table[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000}, {"HKEY_CURRENT_USER", 0x80000001},
        {"HKEY_LOCAL_MACHINE", 0x80000002}, {"HKEY_USERS", 0x80000003},
        {"HKEY_PERFORMANCE_DATA", 0x80000004}, {"HKEY_CURRENT_CONFIG", 0x80000005},
        {"HKEY_DYN_DATA", 0x80000006},
        {"HKEY_local_machine", 0}, {"HKEY_LOCAL_MACHINE ", 0}, {"HKEY_FOO", 0}, {"", 0}};
    for (const auto &[name, handle] : table)
        EXPECT_EQ(CustomRegistry::RootKeyFromName(QString::fromUtf8(name)), handle) << name;
}

// A registry in a temporary folder that holds the games key.
class SetStringValueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, QStringLiteral("SOFTWARE\\Kalumo\\Games")).Ok());
    }
    QByteArray Stored(const QString &relativePath) const
    {
        QFile file(QDir(dir.path()).filePath(relativePath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    RegistryOutcome Write(const QString &keyPath, const QString &data)
    {
        RegistryOutcome outcome;
        custom.SetStringValue(keyPath, QStringLiteral("Kalumo Bingo"), data, &outcome);
        return outcome;
    }

    QTemporaryDir dir;
    FileRegistry registry{dir.path()};
    RecordingMessageBoxes boxes;
    CustomRegistry custom{registry, boxes, Title};
};

TEST_F(SetStringValueTest, WritesEveryByteOfTheEncodedDataAndNoMore)
{
    const QString games = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games");
    const QString value = QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games/Kalumo Bingo");

    const QString seventeen = QStringLiteral("C:\\G\\Bingo.exe;KB");
    ASSERT_EQ(seventeen.size(), 17);
    EXPECT_TRUE(Write(games, seventeen).Ok());
    EXPECT_EQ(Stored(value), QByteArray("C:\\G\\Bingo.exe;KB"));
    EXPECT_EQ(Stored(value).size(), 17);

    // Two letters here take two bytes each: the value holds the whole path.
    const QString path = QStringLiteral("/home/José/Jogos/kalumo-bingo;Kalumo Bingo");
    EXPECT_TRUE(Write(games, path).Ok());
    EXPECT_EQ(Stored(value), path.toUtf8());
    EXPECT_EQ(QString::fromUtf8(Stored(value)), path);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(SetStringValueTest, WritesNothingWhereTheKeyCannotBeReached)
{
    const struct
    {
        const char *keyPath;
        RegistryStatus status;
        int boxes;
    } table[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games\\", RegistryStatus::InvalidKeyPath, 1},
        {"hkey_local_machine\\SOFTWARE\\Kalumo\\Games", RegistryStatus::InvalidKeyPath, 1},
        {"HKEY_FOO\\SOFTWARE\\Kalumo\\Games", RegistryStatus::InvalidKeyPath, 0},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Nowhere", RegistryStatus::KeyMissing, 0},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Kalumo\\Games", RegistryStatus::KeyMissing, 0},
    };
    for (const auto &c : table) {
        boxes.shown.clear();
        EXPECT_EQ(Write(QString::fromUtf8(c.keyPath), QStringLiteral("data")).status, c.status) << c.keyPath;
        EXPECT_EQ(boxes.shown.size(), c.boxes) << c.keyPath;
    }
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games")))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Nowhere"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("HKEY_CURRENT_USER"))));
}

} // namespace
