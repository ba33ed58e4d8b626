// The access layer over a real database file: connection, statements, the result set's
// reading rules and its edit states.
#include <gtest/gtest.h>

#include "store/ado_database.h"
#include "store/ado_recordset.h"
#include "store/database_file.h"
#include "store/jet_dialect.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

class AdoLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection = store::ConnectionStringFor(folder.File("layer.mdb"));
        ASSERT_TRUE(db.CreateDatabaseFile(connection)) << db.LastErrorText();
        ASSERT_TRUE(db.Connect(connection)) << db.LastErrorText();
        ASSERT_TRUE(db.ExecuteStatement("CREATE TABLE t(ID Counter,name char(8),n long,d double)"));
        rs.Bind(db);
    }

    int Count(const char* where = "") {
        CADORecordset count(db);
        EXPECT_TRUE(count.OpenQuery(std::string("select count(*) as c from t ") + where));
        int c = -1;
        count.ReadInt("c", c);
        return c;
    }

    test::ScratchFolder folder;
    std::string connection;
    CADODatabase db;
    CADORecordset rs;
};

TEST(JetDialect, TranslatesTypesAndSplitsMultiColumnAdd) {
    const auto create = store::TranslateJetStatement("CREATE TABLE x(ID Counter,mac char(18),n long,v double)");
    ASSERT_EQ(create.size(), 1u);
    EXPECT_EQ(create[0], "CREATE TABLE x(ID integer primary key,mac char(18) collate nocase,n integer,v real)");

    const auto alter = store::TranslateJetStatement("ALTER TABLE x ADD a long, b char(33),c double");
    ASSERT_EQ(alter.size(), 3u);
    EXPECT_EQ(alter[0], "ALTER TABLE x ADD COLUMN a integer");
    EXPECT_EQ(alter[1], "ALTER TABLE x ADD COLUMN b char(33) collate nocase");
    EXPECT_EQ(alter[2], "ALTER TABLE x ADD COLUMN c real");

    EXPECT_EQ(store::TranslateJetStatement("delete from x where n=1"),
              std::vector<std::string>{"delete from x where n=1"});
    EXPECT_EQ(store::FixedTextWidth("char(18)"), 18);
    EXPECT_EQ(store::FixedTextWidth("integer"), std::nullopt);
    EXPECT_EQ(store::FixedTextWidth("char(0)"), std::nullopt);
}

TEST(AdoDatabase, ConnectionFailuresAreKeptAsText) {
    test::ScratchFolder folder;
    CADODatabase db;
    const std::string missing = store::ConnectionStringFor(folder.File("missing.mdb"));
    EXPECT_FALSE(db.Connect(missing));
    EXPECT_FALSE(db.IsConnected());
    EXPECT_EQ(db.LastErrorText().rfind("CADODataBase Error\n\tCode = ", 0), 0u) << db.LastErrorText();
    EXPECT_NE(db.LastErrorText().find("\n\tCode meaning = "), std::string::npos);
    EXPECT_NE(db.LastErrorText().find("\n\tSource = "), std::string::npos);
    EXPECT_NE(db.LastErrorText().find("\n\tDescription = "), std::string::npos);
    EXPECT_NE(db.LastErrorText().find("\nConnection String = " + missing), std::string::npos);
    EXPECT_NE(db.LastErrorCode(), 0);

    // A file that is not a database is refused at connect time, not at the first query.
    const auto junk = folder.File("junk.mdb");
    std::FILE* f = std::fopen(junk.c_str(), "w");
    std::fputs("this is not a database file at all, just some text that is long enough", f);
    std::fclose(f);
    EXPECT_FALSE(db.Connect(store::ConnectionStringFor(junk)));

    db.Disconnect();  // nothing open: nothing happens
    EXPECT_FALSE(db.ExecuteStatement("select 1"));
    EXPECT_FALSE(db.Connect("Provider=Microsoft.Jet.OLEDB.4.0"));

    EXPECT_EQ(CADODatabase::DataSourceOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a b/data.mdb"),
              "/a b/data.mdb");
    EXPECT_EQ(CADODatabase::DataSourceOf("data source=/x;Mode=1"), "/x");
}

TEST_F(AdoLayerTest, CreateRefusesAnExistingFileAndConnectKeepsTheString) {
    EXPECT_FALSE(db.CreateDatabaseFile(connection));
    EXPECT_NE(db.LastErrorText().find("already exists"), std::string::npos);
    EXPECT_TRUE(db.IsConnected());  // still on the open connection
    EXPECT_TRUE(db.Connect());      // empty argument: the kept string
    EXPECT_EQ(db.ConnectionString(), connection);
}

TEST_F(AdoLayerTest, StatementsReportAffectedRowsAndCountersNumberRows) {
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name,n) values('a',1)"));
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name,n) values('b',2)"));
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name,n) values('c',2)"));
    EXPECT_EQ(db.RecordsAffected(), 1);
    ASSERT_TRUE(db.ExecuteStatement("update t set n=5 where n=?1", {std::int64_t{2}}));
    EXPECT_EQ(db.RecordsAffected(), 2);
    EXPECT_FALSE(db.ExecuteStatement("update nowhere set n=1"));
    EXPECT_EQ(db.RecordsAffected(), 0);
    EXPECT_NE(db.LastErrorText().find("nowhere"), std::string::npos);

    ASSERT_TRUE(rs.OpenQuery("select * from t order by ID"));
    int ids[3] = {};
    for (int& id : ids) {
        rs.ReadInt("ID", id);
        rs.NextRow();
    }
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], 3);
}

TEST_F(AdoLayerTest, MultiColumnAddIsAllOrNothing) {
    EXPECT_FALSE(db.ExecuteStatement("ALTER TABLE t ADD extra1 long,n long"));  // n exists
    EXPECT_FALSE(rs.OpenQuery("select extra1 from t"));
    EXPECT_TRUE(db.ExecuteStatement("ALTER TABLE t ADD extra1 long, extra2 char(4)"));
    EXPECT_TRUE(rs.OpenQuery("select extra1, extra2 from t"));
}

TEST_F(AdoLayerTest, TransactionsCommitAndRollBack) {
    ASSERT_TRUE(db.BeginTransaction());
    db.ExecuteStatement("insert into t(n) values(1)");
    ASSERT_TRUE(db.CommitTransaction());
    ASSERT_TRUE(db.BeginTransaction());
    db.ExecuteStatement("insert into t(n) values(2)");
    ASSERT_TRUE(db.RollbackTransaction());
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(db.CommitTransaction());  // none open
}

TEST_F(AdoLayerTest, ValuesAreBoundNeverPasted) {
    const std::string_view hostile = "x'); drop table t; --";
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name) values(?1)", {std::string_view("o'n")}));
    ASSERT_TRUE(rs.OpenQuery("select * from t where name=?1", {hostile}));
    EXPECT_EQ(rs.RowCount(), 0);
    ASSERT_TRUE(rs.OpenQuery("select * from t where name=?1", {std::string_view("o'n")}));
    EXPECT_EQ(rs.RowCount(), 1);
    // A second statement hidden in the text is refused, not run.
    EXPECT_FALSE(db.ExecuteStatement("delete from t; drop table t"));
    EXPECT_FALSE(rs.OpenQuery("select * from t; drop table t"));
    EXPECT_EQ(Count(), 1);
}

TEST_F(AdoLayerTest, OpenQueryCountsRowsAndStandsOnTheFirst) {
    for (int i = 1; i <= 5; ++i)
        db.ExecuteStatement("insert into t(n) values(?1)", {std::int64_t{i}});
    ASSERT_TRUE(rs.OpenQuery("   select n from t order by n desc"));
    EXPECT_EQ(rs.Query(), "select n from t order by n desc");  // leading blanks removed
    EXPECT_TRUE(rs.IsQueryOpen());
    EXPECT_EQ(rs.RowCount(), 5);
    int n = 0;
    ASSERT_TRUE(rs.ReadInt("n", n));
    EXPECT_EQ(n, 5);
    int walked = 0;
    for (; !rs.AtEnd(); rs.NextRow())
        ++walked;
    EXPECT_EQ(walked, 5);
    EXPECT_FALSE(rs.ReadInt("n", n));  // past the last row

    ASSERT_TRUE(rs.OpenQuery());  // empty argument: the kept query again
    EXPECT_EQ(rs.RowCount(), 5);

    EXPECT_FALSE(rs.OpenQuery("select nothing from t"));
    EXPECT_FALSE(rs.IsQueryOpen());
    EXPECT_EQ(rs.RowCount(), 0);
    EXPECT_EQ(rs.LastErrorText().rfind("CADORecordset Error\n\tCode = ", 0), 0u);
    EXPECT_NE(rs.LastErrorText().find("Query = select nothing from t"), std::string::npos);

    rs.CloseQuery();  // not open: nothing happens
    EXPECT_FALSE(rs.IsQueryOpen());
    db.Disconnect();
    EXPECT_FALSE(rs.OpenQuery("select n from t"));
}

TEST_F(AdoLayerTest, ReadingRulesForNullNumbersAndFixedWidthText) {
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name,n,d) values('ab',-7,3232235521.0)"));
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name) values(NULL)"));
    ASSERT_TRUE(rs.OpenQuery("select * from t order by ID"));
    std::string text;
    int n = 1;
    ASSERT_TRUE(rs.ReadText("name", text));
    EXPECT_EQ(text, "ab      ");          // char(8) comes back padded
    ASSERT_TRUE(rs.ReadText("N", text));  // names match without case
    EXPECT_EQ(text, "-7");
    ASSERT_TRUE(rs.ReadText("d", text));
    EXPECT_EQ(text, "3232235521");
    ASSERT_TRUE(rs.ReadInt("d", n));
    EXPECT_EQ(static_cast<std::uint32_t>(n), 3232235521u);
    EXPECT_FALSE(rs.ReadInt("no_such_column", n));
    EXPECT_EQ(n, 0);
    EXPECT_NE(rs.LastErrorText().find("no_such_column"), std::string::npos);

    rs.NextRow();
    ASSERT_TRUE(rs.ReadText("name", text));
    EXPECT_EQ(text, "");  // NULL is empty, not padded
    ASSERT_TRUE(rs.ReadInt("n", n));
    EXPECT_EQ(n, 0);
}

TEST_F(AdoLayerTest, WritesNeedAPendingRowAndCommitWritesIt) {
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    EXPECT_TRUE(rs.CommitRow());  // nothing pending
    EXPECT_FALSE(rs.WriteInt("n", 1));
    EXPECT_FALSE(rs.BeginEdit());  // no current row
    EXPECT_EQ(Count(), 0);

    ASSERT_TRUE(rs.BeginNewRow());
    EXPECT_EQ(rs.GetEditState(), CADORecordset::kEditNew);
    EXPECT_TRUE(rs.WriteText("name", "x"));
    EXPECT_TRUE(rs.WriteUnsigned("n", 4000000000u));
    EXPECT_TRUE(rs.WriteText("d", ""));  // empty text is stored as NULL
    EXPECT_FALSE(rs.WriteInt("missing", 1));
    ASSERT_TRUE(rs.CommitRow());
    EXPECT_EQ(rs.GetEditState(), CADORecordset::kEditNone);
    EXPECT_EQ(Count("where d is null"), 1);

    ASSERT_TRUE(rs.OpenQuery("select n, name from t where name=?1", {std::string_view("x")}));
    int n = 0;
    ASSERT_TRUE(rs.ReadInt("n", n));
    EXPECT_EQ(static_cast<std::uint32_t>(n), 4000000000u);
    ASSERT_TRUE(rs.BeginEdit());
    EXPECT_EQ(rs.GetEditState(), CADORecordset::kEditCurrent);
    ASSERT_TRUE(rs.WriteInt("n", -3));
    ASSERT_TRUE(rs.CommitRow());
    ASSERT_TRUE(rs.ReadInt("n", n));  // the result shows the committed value
    EXPECT_EQ(n, -3);
    EXPECT_EQ(Count("where n=-3"), 1);

    ASSERT_TRUE(rs.OpenQuery("select count(*) as c from t"));
    EXPECT_FALSE(rs.BeginNewRow());  // a computed result cannot be written back
}

TEST_F(AdoLayerTest, FailedCommitLeavesNoHalfWrittenRow) {
    ASSERT_TRUE(db.ExecuteStatement("insert into t(name,n) values('keep',1)"));
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    ASSERT_TRUE(rs.BeginEdit());
    rs.WriteInt("n", 99);
    rs.WriteText("name", "far too long for eight");
    EXPECT_FALSE(rs.CommitRow());
    EXPECT_EQ(rs.GetEditState(), CADORecordset::kEditNone);
    EXPECT_NE(rs.LastErrorText().find("Query = select * from t"), std::string::npos);
    EXPECT_EQ(Count("where n=1 and name='keep'"), 1);

    ASSERT_TRUE(rs.BeginNewRow());
    rs.WriteInt("n", 5);
    rs.WriteText("name", "123456789");
    EXPECT_FALSE(rs.CommitRow());
    EXPECT_EQ(Count(), 1);

    // A row deleted behind the result's back cannot be updated.
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    ASSERT_TRUE(db.ExecuteStatement("delete from t"));
    ASSERT_TRUE(rs.BeginEdit());
    rs.WriteInt("n", 2);
    EXPECT_FALSE(rs.CommitRow());
    EXPECT_EQ(Count(), 0);
}

TEST_F(AdoLayerTest, ReopeningDiscardsAPendingNewRow) {
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    ASSERT_TRUE(rs.BeginNewRow());
    rs.WriteInt("n", 1);
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    EXPECT_EQ(rs.GetEditState(), CADORecordset::kEditNone);
    EXPECT_TRUE(rs.CommitRow());
    EXPECT_EQ(rs.RowCount(), 0);
    EXPECT_EQ(Count(), 0);

    ASSERT_TRUE(rs.BeginNewRow());
    rs.WriteInt("n", 1);
    rs.CloseQuery();
    EXPECT_EQ(Count(), 0);
}

TEST_F(AdoLayerTest, ACachedQuerySeesColumnsAddedLater) {
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    ASSERT_TRUE(db.ExecuteStatement("ALTER TABLE t ADD late char(3)"));
    ASSERT_TRUE(db.ExecuteStatement("insert into t(late) values('z')"));
    ASSERT_TRUE(rs.OpenQuery("select * from t"));
    std::string late;
    ASSERT_TRUE(rs.ReadText("late", late));
    EXPECT_EQ(late, "z  ");
}

}  // namespace
}  // namespace cpe
