// The sources of a set of packages: the scripts and PCM files bscomp compiles them from, and
// the bscomp runs that do it.
#pragma once

#include <string>
#include <vector>

#include "tools/bsinspect/package.h"
#include "tools/bsinspect/script_text.h"
#include "tools/common/priority_header.h"

namespace bsinspect {

struct PcmOutput {
    const Package* package = nullptr;
    PcmFile file;
};

struct Sources {
    std::vector<Script> scripts;
    std::vector<PcmOutput> pcm;
    std::vector<std::vector<std::string>> commands;  // bscomp's arguments, one run each, in the folder
    std::vector<std::string> notes;                  // what else the runs need
};

// The priority header of "bscomp -sfx": the effects' priorities, in the order of its lines.
struct PriorityHeader {
    std::string path;
    std::string text;
    bs::PriorityTable priorities;
};

// The sources of `packages`: one descriptor for the sample pack, one script for the instrument
// pack, one for all the sound effects (labelled after their files; with a priority header,
// named after it, in its order and with its priorities) and one folder of channel scripts per
// music track, named after it. Samples and instruments are referred to by number, so at most one sample pack and
// one instrument pack may be among them: false, with `error`, for more. Packages whose entry
// table could not be read are left out.
bool disassemble(const std::vector<Package>& packages, const PriorityHeader* header, Sources* sources,
                 std::string* error);

}  // namespace bsinspect
