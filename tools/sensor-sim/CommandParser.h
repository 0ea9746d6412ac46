// Splitting command text into statements and words.
//
// Statements end at ';' or a line end; '#' starts a comment that runs to the
// end of the line; words are separated by blanks, and double quotes keep a
// word with blanks together ("my style.xml").
#ifndef SENSOR_SIM_COMMAND_PARSER_H
#define SENSOR_SIM_COMMAND_PARSER_H

#include <string>
#include <vector>

namespace sensorsim {

struct Statement {
    int line;                        // 1-based line of the text it came from
    std::string text;                // as written, without the comment
    std::vector<std::string> words;  // empty for a blank statement
};

// False with a message (naming the line) when a quote is not closed.
bool splitStatements(const std::string& p_strText, std::vector<Statement>& p_vecStatements, std::string& p_strError);

}  // namespace sensorsim

#endif
