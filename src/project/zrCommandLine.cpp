// The program's one argument: a switch, an option text or a path to open.

#include "platform/files.h"
#include "project/zrProject.h"

namespace vantile {

namespace {

// "/" starts both a switch and every absolute path here. An argument is a path
// when its first element ("/home" of "/home/me/a.doc") or the whole text names
// an existing entry; so "/P:Source=/docs/*.doc" stays a switch while "/usr/x.doc"
// never uninstalls.
bool IsSwitch(const std::string& param) {
    if (param[0] == '-')
        return true;
    if (param[0] != '/')
        return false;
    const auto second = param.find('/', 1);
    const std::string first = param.substr(0, second);
    return !platform::DirectoryExists(first) && !platform::FileExists(param);
}

}  // namespace

bool TzrProject::ParseCommandLine(const std::string& Param) {
    if (Param.size() >= 2) {
        if (IsSwitch(Param)) {
            char letter = Param[1];
            if (letter >= 'a' && letter <= 'z')
                letter = static_cast<char>(letter - 'a' + 'A');
            switch (letter) {
                case 'I':
                    if (FOpenLink)
                        FOpenLink("", "ins", Param.substr(2));
                    return false;
                case 'U':
                    if (FOpenLink)
                        FOpenLink("", "uni", "");
                    return false;
                case 'P': {
                    std::string text = Param.substr(2);
                    if (!text.empty() && text[0] == ':')
                        text.erase(0, 1);
                    std::string lines;
                    for (char c : text) {
                        if (c == ',' || c == ';')
                            lines += "\r\n";
                        else
                            lines += c;
                    }
                    FCmdOptions = lines;
                    break;
                }
                default:
                    break;
            }
        } else {
            FFileName = Param;
        }
    }
    OpenStartup();
    return true;
}

}  // namespace vantile
