#include "tests/test_util.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

std::string MakeTempDir(void)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zux-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) return "";
    return buf.data();
}

void RemoveTree(const std::string &dir)
{
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

std::vector<uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    return (bool)f;
}

bool WriteText(const std::string &path, const std::string &text)
{
    return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

int RunHeadless(const std::string &args, std::string *output)
{
    std::string cmd = std::string(ZUX_BUILD_DIR) + "/zux-headless " + args + " 2>&1";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    std::string out;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
    int status = pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream f(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(f, line)) lines.push_back(line);
    return lines;
}

std::string TraceField(const std::string &line, const std::string &field)
{
    std::string key = "\"" + field + "\":";
    size_t pos = line.find(key);
    if (pos == std::string::npos) return "";
    pos += key.size();
    size_t end = pos;
    int depth = 0;
    bool inString = false;
    for (; end < line.size(); end++) {
        char c = line[end];
        if (inString) {
            if (c == '"') inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{')
            depth++;
        else if (c == ']' || c == '}') {
            if (depth == 0) break;
            depth--;
        } else if (c == ',' && depth == 0)
            break;
    }
    std::string v = line.substr(pos, end - pos);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}
