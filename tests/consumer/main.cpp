// Reads a table file through the library and writes it back: exits 0 when
// the values and the file's bytes come through unchanged.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/string_list.h"
#include "table_file/sy_db.h"
#include "table_file/sy_standard.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "consumer: %s\n", what);
    return 1;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
    const std::string text =
        "/* Quimbly Table Format 0.9 */\r\n"
        "quiTables[quiTables.length] = new Array(\r\n"
        "\"Name\",\"Count\",\"Done\",\r\n"
        "\"Apples\",3,true,\r\n"
        "\"Pears\",12.5,false,\r\n"
        "3);\r\n";
    const std::string path = "/tmp/qmt_consumer_" + std::to_string(::getpid()) + ".qmt";
    std::ofstream(path, std::ios::binary) << text;

    TClientDataSet table;
    const bool loaded = LoadTableFile(path, table);
    table.Open();
    const bool values = loaded && table.RecordCount() == 2 && table.Fields().Count() == 3 &&
                        table.FieldByName("Name").AsString() == "Apples";
    const bool saved = values && SaveTableFile(path, '"', table);
    const bool same = saved && ReadAll(path) == text;
    std::remove(path.c_str());

    TStringList tokens;
    if (!SplitTableLine("\"a\",1,", tokens) || tokens.Count() != 2) return Fail("line not split");
    if (!loaded) return Fail("table not read");
    if (!values) return Fail("values not as written");
    if (!saved) return Fail("table not written");
    if (!same) return Fail("written file differs");
    std::puts("consumer: table read and written back");
    return 0;
}
