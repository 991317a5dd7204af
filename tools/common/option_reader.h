// The option loop every tool shares: walks a command line argument by argument, telling
// options ("-x", "--name", "--name=value") from the other arguments. "--" ends the options;
// "-" alone, like any argument not starting with "-", is not an option. An option's value is
// the text after "=" of "--name=value", or else the next argument.
#pragma once

#include <optional>
#include <string>

namespace bs {

class OptionReader {
public:
    OptionReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

    // Steps to the next argument (the first call to argv[1]); false after the last one.
    bool next()
    {
        while (++index_ < argc_) {
            const std::string argument = argv_[index_];
            inlineValue_.reset();
            if (optionsEnded_ || argument.size() < 2 || argument[0] != '-') {
                isOption_ = false;
                name_ = argument;
                return true;
            }
            if (argument == "--") {
                optionsEnded_ = true;
                continue;
            }
            isOption_ = true;
            name_ = argument;
            const size_t equals = argument.find('=');
            if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
                name_ = argument.substr(0, equals);
                inlineValue_ = argument.substr(equals + 1);
            }
            return true;
        }
        return false;
    }

    bool isOption() const { return isOption_; }
    // The option's name without its "=value", or the whole argument when it is no option.
    const std::string& name() const { return name_; }

    // The option's value: from "=value", else the next argument (which is then passed over).
    // False with "Option NAME needs a value" when there is none.
    bool value(std::string* out, std::string* error)
    {
        if (inlineValue_) {
            *out = *inlineValue_;
            return true;
        }
        if (index_ + 1 >= argc_) {
            *error = "Option " + name_ + " needs a value";
            return false;
        }
        *out = argv_[++index_];
        return true;
    }

    // For an option that takes no value: false with "Option NAME takes no value" after a "=value".
    bool noValue(std::string* error) const
    {
        if (!inlineValue_) return true;
        *error = "Option " + name_ + " takes no value";
        return false;
    }

private:
    int argc_;
    const char* const* argv_;
    int index_ = 0;
    bool optionsEnded_ = false;
    bool isOption_ = false;
    std::string name_;
    std::optional<std::string> inlineValue_;
};

}  // namespace bs
