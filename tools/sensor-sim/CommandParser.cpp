// Statements and words of command text.
#include "CommandParser.h"

namespace sensorsim {

namespace {

std::string trimmed(const std::string& p_strText) {
    const size_t nFirst = p_strText.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos) return "";
    return p_strText.substr(nFirst, p_strText.find_last_not_of(" \t\r") - nFirst + 1);
}

}  // namespace

bool splitStatements(const std::string& p_strText, std::vector<Statement>& p_vecStatements, std::string& p_strError) {
    Statement stCurrent{1, "", {}};
    std::string strWord;
    bool bInWord = false;
    bool bInQuote = false;
    bool bInComment = false;
    int nLine = 1;
    auto endWord = [&]() {
        if (bInWord) stCurrent.words.push_back(strWord);
        strWord.clear();
        bInWord = false;
    };
    auto endStatement = [&]() {
        endWord();
        stCurrent.text = trimmed(stCurrent.text);
        if (!stCurrent.words.empty()) p_vecStatements.push_back(stCurrent);
        stCurrent = Statement{nLine, "", {}};
    };
    for (char c : p_strText) {
        if (c == '\n') {
            if (bInQuote) {
                p_strError = "line " + std::to_string(nLine) + ": the quote is not closed";
                return false;
            }
            bInComment = false;
            endStatement();
            ++nLine;
            stCurrent.line = nLine;
            continue;
        }
        if (bInComment) continue;
        if (bInQuote) {
            stCurrent.text += c;
            if (c == '"')
                bInQuote = false;
            else
                strWord += c;
            continue;
        }
        if (c == '#') {
            bInComment = true;
            continue;
        }
        if (c == ';') {
            endStatement();
            continue;
        }
        stCurrent.text += c;
        if (c == '"') {
            bInQuote = true;
            bInWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            endWord();
        } else {
            strWord += c;
            bInWord = true;
        }
    }
    if (bInQuote) {
        p_strError = "line " + std::to_string(nLine) + ": the quote is not closed";
        return false;
    }
    endStatement();
    return true;
}

}  // namespace sensorsim
