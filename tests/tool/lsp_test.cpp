// The language server's groundwork: the framing of messages, the exact
// conversion between the editor's positions and the Latin-1 files' columns,
// incremental changes, file URIs and the pairing of a scenario's files; the
// quick fixes the diagnostics carry; the watching of a pair's files on disk;
// and the server's answers to requests it must refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/description_files.h"
#include "support/temp_folder.h"
#include "tool/base/display_text.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/framing.h"
#include "tool/lsp/pairing.h"
#include "tool/lsp/server.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {
namespace {

// What a reader gives for the input fed in the pieces given: each body, or
// "fault: ..." for a header that was wrong.
std::vector<std::string> frames_of(const std::vector<std::string>& pieces) {
    FrameReader reader;
    std::vector<std::string> out;
    for (const std::string& piece : pieces) {
        reader.feed(piece);
        while (const auto frame = reader.next())
            out.push_back(frame->fault.empty() ? frame->body : "fault: " + frame->fault);
    }
    return out;
}

TEST(FrameReader, GivesEachBodyOnceComplete) {
    struct Case {
        const char* what;
        std::vector<std::string> pieces;
        std::vector<std::string> frames;
    } const cases[] = {
        {"one message", {"Content-Length: 2\r\n\r\n{}"}, {"{}"}},
        {"two in one piece", {"Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]"}, {"{}", "[1]"}},
        {"split everywhere", {"Content-Len", "gth: 2\r", "\n\r\n{", "}"}, {"{}"}},
        {"name in other case, blanks, another field",
         {"content-length:   4 \r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\nnull"},
         {"null"}},
        {"a body not yet complete", {"Content-Length: 10\r\n\r\n{}"}, {}},
        {"an empty body", {"Content-Length: 0\r\n\r\n"}, {""}},
        {"no length, then a sound message",
         {"Content-Type: x\r\n\r\nContent-Length: 2\r\n\r\n{}"},
         {"fault: the header has no Content-Length", "{}"}},
        {"a length that is no number", {"Content-Length: 1x\r\n\r\n"}, {"fault: Content-Length is not a number"}},
        {"a length beyond the largest message",
         {"Content-Length: 999999999999\r\n\r\n"},
         {"fault: Content-Length is larger than a message may be"}},
        {"a line without a colon", {"garbage\r\n\r\n"}, {"fault: a header line without ':'"}},
        {"a header without end", {std::string(largest_header + 1, 'x')}, {"fault: a header longer than 8192 bytes"}},
    };
    for (const Case& c : cases) EXPECT_EQ(frames_of(c.pieces), c.frames) << c.what;
}

TEST(FrameReader, KeepsOnlyWhatIsNotYetGiven) {
    FrameReader reader;
    for (int i = 0; i < 1000; ++i) {
        reader.feed("Content-Length: 2\r\n\r\n{}");
        ASSERT_TRUE(reader.next());
    }
    EXPECT_EQ(reader.pending(), 0U);
    EXPECT_EQ(framed("{}"), "Content-Length: 2\r\n\r\n{}");
}

TEST(FrameReader, TellsTooDeepANesting) {
    struct Case {
        std::string json;
        bool deeper;
    } const cases[] = {
        {std::string(3, '[') + std::string(3, ']'), false},
        {std::string(4, '[') + std::string(4, ']'), true},
        {R"({"a":{"b":[1]}})", false},
        {R"({"a":{"b":[[1]]}})", true},
        // Brackets within strings, escaped quotes among them, do not count.
        {R"({"a":"[[[[\"[[[["})", false},
        {R"(["\\",[[[]]]])", true},
    };
    for (const Case& c : cases) EXPECT_EQ(nested_deeper_than(c.json, 3), c.deeper) << c.json;
}

TEST(TextEncoding, ConvertsEachCharacterToOneByteAndBack) {
    struct Case {
        std::string utf8;
        std::string latin1;
    } const cases[] = {
        {"plain", "plain"},
        {"Brènzola", "Br\xE8nzola"},
        {"\xC3\xBF", "\xFF"},
        // Beyond Latin-1: one '?' each, as the file saved in Latin-1 would hold.
        {"\xE2\x82\xAC 5", "? 5"},
        {"a\xF0\x9F\x98\x80z", "a?z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(latin1_of_utf8(c.utf8), c.latin1) << c.utf8;
        if (c.latin1.find('?') == std::string::npos) {
            EXPECT_EQ(latin1_to_utf8(c.latin1), c.utf8) << c.utf8;
        }
    }
}

TEST(TextEncoding, CountsUtf16UnitsOfCharacters) {
    // "è" is one unit and one byte of the file; the face is two units, one
    // byte ('?').
    const std::string line = "-è\xF0\x9F\x98\x80-, velocita";
    struct Case {
        std::size_t characters;
        std::size_t units;
    } const cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 4}, {4, 5}, {14, 15}, {99, 15}};
    for (const Case& c : cases) EXPECT_EQ(utf16_units_before(line, c.characters), c.units) << c.characters;
    struct Back {
        std::size_t units;
        std::size_t characters;
        std::size_t byte;
    } const backs[] = {{0, 0, 0},
                       {1, 1, 1},
                       {2, 2, 3},
                       // Within the surrogate pair: the character it belongs to.
                       {3, 2, 3},
                       {4, 3, 7},
                       {15, 14, 18},
                       {40, 14, 18}};
    for (const Back& b : backs) {
        EXPECT_EQ(characters_before(line, b.units), b.characters) << b.units;
        EXPECT_EQ(byte_of_utf16(line, b.units), b.byte) << b.units;
    }
}

TEST(Document, PlacesADiagnosticsColumnsAsTheEditorCounts) {
    const Document d("file:///s/T_linea.txt", "[generale]\r\nstazione, 0, Brè😀, 12\nx");
    struct Case {
        int line;
        int column;
        Position at;
    } const cases[] = {{0, 0, {0, 0}},   {1, 1, {0, 0}},   {1, 11, {0, 10}},
                       {2, 14, {1, 13}}, {2, 16, {1, 15}},  // before "è"
                       {2, 17, {1, 16}},                    // after it: one unit for one byte
                       {2, 18, {1, 18}},                    // after the face: two units for one byte
                       {2, 19, {1, 19}}, {3, 1, {2, 0}}};
    for (const Case& c : cases) {
        EXPECT_EQ(d.position_of(c.line, c.column), c.at) << c.line << ":" << c.column;
        if (c.line > 0) {
            EXPECT_EQ(d.column_of(c.at), std::make_pair(c.line, c.column)) << c.line << ":" << c.column;
        }
    }
}

TEST(Document, TakesIncrementalChanges) {
    struct Case {
        const char* what;
        std::optional<Range> range;
        const char* text;
        const char* result;
    } const cases[] = {
        {"a letter typed", Range{{1, 2}, {1, 2}}, "x", "ab\r\ncdxè😀f\ng"},
        {"a letter after the accent replaced", Range{{1, 3}, {1, 5}}, "Z", "ab\r\ncdèZf\ng"},
        {"a line end taken out", Range{{0, 2}, {1, 0}}, "", "abcdè😀f\ng"},
        {"past the last line", Range{{9, 0}, {9, 4}}, "!", "ab\r\ncdè😀f\ng!"},
        {"past a line's end", Range{{0, 40}, {0, 50}}, "?", "ab?\r\ncdè😀f\ng"},
        {"the whole text", std::nullopt, "new", "new"},
    };
    for (const Case& c : cases) {
        Document d("file:///s/T_linea.txt", "ab\r\ncdè😀f\ng");
        d.change(c.range, c.text, 2);
        EXPECT_EQ(d.text(), c.result) << c.what;
    }
    Document d("u", "a\r\nb\rc\nd");
    EXPECT_EQ(d.line_count(), 4U);
    EXPECT_EQ(d.line(2), "c");
}

TEST(Uri, PathsRoundTripWithEscapes) {
    struct Case {
        const char* uri;
        std::optional<std::string> path;
    } const cases[] = {
        {"file:///s/Valcorvina_IC%20318-.txt", "/s/Valcorvina_IC 318-.txt"},
        {"file://localhost/a/b", "/a/b"},
        {"file:///%E6%97%A5", "/\xE6\x97\xA5"},
        {"file:///50%", "/50%"},
        {"untitled:Untitled-1", std::nullopt},
        {"file://elsewhere/a", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(path_of_uri(c.uri), c.path) << c.uri;
    EXPECT_EQ(uri_of_path("/s/Valcorvina_IC 318-.txt"), "file:///s/Valcorvina_IC%20318-.txt");
    EXPECT_EQ(path_of_uri(uri_of_path("/a b/ü#?%/T_linea.txt")), "/a b/ü#?%/T_linea.txt");
}

TEST(Pairing, ByTheFolderNames) {
    const std::vector<std::string> folder{"Val_corvina_linea.txt", "Val_corvina_IC 318-.txt", "Val_corvina_R 2-.txt",
                                          "Val_corvina_IC 318_note.txt", "Other_linea.txt"};
    struct Case {
        const char* path;
        std::vector<std::string> open;
        std::optional<std::vector<std::string>> pair;  // line, train, title, code
    } const cases[] = {
        {"/s/Val_corvina_linea.txt",
         {},
         {{"/s/Val_corvina_linea.txt", "/s/Val_corvina_IC 318-.txt", "Val_corvina", "IC 318"}}},
        // The train the author has open comes first.
        {"/s/Val_corvina_linea.txt",
         {"Val_corvina_R 2-.txt"},
         {{"/s/Val_corvina_linea.txt", "/s/Val_corvina_R 2-.txt", "Val_corvina", "R 2"}}},
        // A title holding "_": the longest line title that begins the name.
        {"/s/Val_corvina_R 2-.txt",
         {},
         {{"/s/Val_corvina_linea.txt", "/s/Val_corvina_R 2-.txt", "Val_corvina", "R 2"}}},
        // A line without a train pairs with the one it would have.
        {"/s/Other_linea.txt", {}, {{"/s/Other_linea.txt", "/s/Other_-.txt", "Other", ""}}},
        {"/s/Val_corvina_IC 318_note.txt", {}, std::nullopt},
        {"/s/_linea.txt.bak", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<Pair> p = pair_of(c.path, folder, c.open);
        ASSERT_EQ(p.has_value(), c.pair.has_value()) << c.path;
        if (!p) continue;
        EXPECT_EQ((std::vector<std::string>{p->linePath, p->trainPath, p->title, p->trainCode}), *c.pair) << c.path;
    }
}

// Each quick fix comes with the diagnostic the check made, never from its
// wording: the edit of the field, or none where no mending is certain.
TEST(Server, OffersTheFixADiagnosticCarries) {
    using scenario::testing::line_description;
    using scenario::testing::train_description;
    const std::vector<std::string> profiles{"velocita,   0,    100", "aderenza,   0,    90"};
    struct Case {
        const char* row;
        enum { general, item, train } where;
        std::vector<std::string> fixes;  // "title -> new text"
    } const cases[] = {
        {"segnalle,  1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
         Case::train,
         {"Replace `segnalle` with `segnale` -> segnale"}},
        {"zzzzzz,  1050", Case::train, {}},  // no keyword near enough to name
        {"velocita,   1000,    127", Case::train, {"Replace `127` with `125` -> 125"}},
        {"velocita,   1000,    125", Case::train, {}},
        {"Sfondo uno,    1", Case::general, {"Replace `Sfondo uno` with `sfondo uno` -> sfondo uno"}},
        {"cartello-indicatore,  1000,   (A)",
         Case::item,
         {"Replace `cartello-indicatore` with `cartello_indicatore` -> cartello_indicatore"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        scenario::testing::TempFolder folder;
        const std::string line_uri = uri_of_path(folder.file("T_linea.txt"));
        const std::string train_uri = uri_of_path(folder.file("T_C-.txt"));
        std::vector<std::string> train_rows = profiles;
        if (c.where == Case::train) train_rows.emplace_back(c.row);
        const std::vector<std::string> none;
        const std::vector<std::string> row{c.row};
        const std::string line =
            line_description(20000, c.where == Case::item ? row : none, c.where == Case::general ? row : none);
        std::vector<nlohmann::json> sent;
        Server server([&sent](const std::string& body) { sent.push_back(nlohmann::json::parse(body)); });
        const auto receive = [&](const nlohmann::json& message) { server.receive(Frame{message.dump(), {}}); };
        receive({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", {}}}}});
        for (const auto& [uri, text] :
             {std::pair(line_uri, line), std::pair(train_uri, train_description(train_rows))}) {
            receive(
                {{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params", {{"textDocument", {{"uri", uri}, {"languageId", "x"}, {"version", 1}, {"text", text}}}}}});
        }
        sent.clear();
        const nlohmann::json whole = {{"start", {{"line", 0}, {"character", 0}}},
                                      {"end", {{"line", 1000}, {"character", 0}}}};
        receive({{"jsonrpc", "2.0"},
                 {"id", 2},
                 {"method", "textDocument/codeAction"},
                 {"params",
                  {{"textDocument", {{"uri", c.where == Case::train ? train_uri : line_uri}}},
                   {"range", whole},
                   {"context", {{"diagnostics", nlohmann::json::array()}}}}}});
        std::vector<std::string> fixes;
        for (const nlohmann::json& message : sent) {
            if (!message.contains("id")) continue;
            for (const nlohmann::json& action : message.at("result")) {
                const nlohmann::json& edits = action.at("edit").at("changes").front();
                fixes.push_back(action.at("title").get<std::string>() + " -> " +
                                edits.at(0).at("newText").get<std::string>());
            }
        }
        EXPECT_EQ(fixes, c.fixes);
    }
}

// A client that can watch files is asked to tell of the descriptions'
// changes on disk; one that cannot is asked nothing.
TEST(Server, AsksToWatchTheDescriptionsWhereTheClientCan) {
    struct Case {
        const char* capabilities;
        std::vector<std::string> sent;
    } const cases[] = {
        {R"({"workspace":{"didChangeWatchedFiles":{"dynamicRegistration":true}}})",
         {R"({"id":"watch-descriptions","jsonrpc":"2.0","method":"client/registerCapability","params":{"registrations":[{"id":"descriptions","method":"workspace/didChangeWatchedFiles","registerOptions":{"watchers":[{"globPattern":"**/*_linea.txt"},{"globPattern":"**/*-.txt"}]}}]}})"}},
        {R"({"workspace":{"didChangeWatchedFiles":{"dynamicRegistration":false}}})", {}},
        {R"({"workspace":{"didChangeWatchedFiles":true}})", {}},
        {"{}", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> sent;
        Server server([&sent](const std::string& body) { sent.push_back(body); });
        server.receive(Frame{R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":)" +
                                 std::string(c.capabilities) + "}}",
                             {}});
        sent.clear();
        server.receive(Frame{R"({"jsonrpc":"2.0","method":"initialized","params":{}})", {}});
        EXPECT_EQ(sent, c.sent) << c.capabilities;
    }
}

// A partner changed on disk re-checks the pair; the editor's text of an open
// file still wins, and a change in another folder checks nothing.
TEST(Server, ChecksThePairAgainWhenAPartnerChangesOnDisk) {
    using scenario::testing::line_description;
    using scenario::testing::train_description;
    const std::string train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});
    const std::string misspelt = line_description(20000, {"cartelo_indicatore,  1000,   (A)"});
    const std::string mended = line_description(20000, {"cartello_indicatore,  1000,   (A)"});
    struct Case {
        const char* what;
        const char* changed;                 // the file named in the notification
        std::string line;                    // the line description on disk after the change
        std::string train;                   // the train description on disk after the change
        std::vector<std::string> published;  // "file: codes" after the check, the open one first
    } const cases[] = {
        {"the partner mended", "T_linea.txt", mended, train, {"T_C-.txt:", "T_linea.txt:"}},
        {"a file of another folder", "../T_linea.txt", mended, train, {}},
        {"the open file's copy on disk",
         "T_C-.txt",
         misspelt,
         train_description({"velocita,   0,    127", "aderenza,   0,    90"}),
         {"T_C-.txt:", "T_linea.txt: unknown-keyword"}},
    };
    for (const Case& c : cases) {
        scenario::testing::TempFolder folder;
        scenario::testing::write_file(folder.file("T_linea.txt"), misspelt);
        scenario::testing::write_file(folder.file("T_C-.txt"), train);
        std::vector<nlohmann::json> sent;
        Server server([&sent](const std::string& body) { sent.push_back(nlohmann::json::parse(body)); });
        const auto receive = [&](const nlohmann::json& message) { server.receive(Frame{message.dump(), {}}); };
        receive({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", {}}}}});
        receive(
            {{"jsonrpc", "2.0"},
             {"method", "textDocument/didOpen"},
             {"params",
              {{"textDocument", {{"uri", uri_of_path(folder.file("T_C-.txt"))}, {"version", 1}, {"text", train}}}}}});
        server.check_changed();
        scenario::testing::write_file(folder.file("T_linea.txt"), c.line);
        scenario::testing::write_file(folder.file("T_C-.txt"), c.train);
        sent.clear();
        receive({{"jsonrpc", "2.0"},
                 {"method", "workspace/didChangeWatchedFiles"},
                 {"params", {{"changes", {{{"uri", uri_of_path(folder.file(c.changed))}, {"type", 2}}}}}}});
        EXPECT_EQ(server.check_due().has_value(), !c.published.empty()) << c.what;
        server.check_changed();
        std::vector<std::string> published;
        for (const nlohmann::json& message : sent) {
            std::string codes = *path_of_uri(message.at("params").at("uri").get<std::string>()) + ":";
            codes = codes.substr(folder.path().string().size() + 1);
            for (const nlohmann::json& d : message.at("params").at("diagnostics"))
                codes += " " + d.at("code").get<std::string>();
            published.push_back(codes);
        }
        EXPECT_EQ(published, c.published) << c.what;
    }
}

// The server's answers to what it must refuse, whole.
TEST(Server, RefusesWhatItCannotAnswer) {
    std::vector<std::string> sent;
    Server server([&sent](const std::string& body) { sent.push_back(body); });
    const auto answer = [&](const std::string& body) {
        sent.clear();
        server.receive(Frame{body, {}});
        return sent.empty() ? std::string() : sent.front();
    };
    struct Case {
        const char* what;
        std::string message;
        std::string answer;
    } const cases[] = {
        {"before initialize", R"({"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{}})",
         R"({"error":{"code":-32002,"message":"initialize comes first"},"id":1,"jsonrpc":"2.0"})"},
        {"a notification before initialize", R"({"jsonrpc":"2.0","method":"textDocument/didOpen"})", ""},
        {"initialize", R"({"jsonrpc":"2.0","id":"a","method":"initialize","params":{"capabilities":{}}})", ""},
        {"initialize again", R"({"jsonrpc":"2.0","id":2,"method":"initialize","params":{}})",
         R"({"error":{"code":-32600,"message":"initialize was sent already"},"id":2,"jsonrpc":"2.0"})"},
        {"an unknown method", R"({"jsonrpc":"2.0","id":3,"method":"x/y"})",
         R"({"error":{"code":-32601,"message":"unknown method x/y"},"id":3,"jsonrpc":"2.0"})"},
        {"an unknown notification", R"({"jsonrpc":"2.0","method":"x/y"})", ""},
        {"a document not open",
         R"({"jsonrpc":"2.0","id":4,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///n"},"position":{"line":0,"character":0}}})",
         R"({"error":{"code":-32602,"message":"the document file:///n is not open"},"id":4,"jsonrpc":"2.0"})"},
        {"params of the wrong type", R"({"jsonrpc":"2.0","id":5,"method":"textDocument/codeAction","params":[]})",
         R"({"error":{"code":-32602,"message":"invalid params: [json.exception.type_error.304] cannot use at() with array"},"id":5,"jsonrpc":"2.0"})"},
        {"an id that is an object", R"({"jsonrpc":"2.0","id":{},"method":"shutdown"})",
         R"({"error":{"code":-32600,"message":"the id is not a number or a string"},"id":null,"jsonrpc":"2.0"})"},
        {"not JSON",
         "{\"jsonrpc\":", R"({"error":{"code":-32700,"message":"the message is not JSON"},"id":null,"jsonrpc":"2.0"})"},
        {"a response to the server", R"({"jsonrpc":"2.0","id":9,"result":null})", ""},
        {"shutdown", R"({"jsonrpc":"2.0","id":6,"method":"shutdown"})", R"({"id":6,"jsonrpc":"2.0","result":null})"},
        {"a request after shutdown", R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover"})",
         R"({"error":{"code":-32600,"message":"the server has shut down"},"id":7,"jsonrpc":"2.0"})"},
    };
    for (const Case& c : cases) {
        const std::string got = answer(c.message);
        if (std::string(c.what) == "initialize") continue;
        EXPECT_EQ(got, c.answer) << c.what;
    }
    EXPECT_FALSE(server.exited());
    answer(R"({"jsonrpc":"2.0","method":"exit"})");
    EXPECT_TRUE(server.exited());
    EXPECT_EQ(server.exit_status(), 0);
}

}  // namespace
}  // namespace scenario::tool::lsp
