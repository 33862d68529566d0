#include "pack/commandLine.h"

#include "util/strings.h"

const char* const packUsage =
    "Usage: launcher-pack -o OUT [--launcher FILE] [--mainclass CLASS]\n"
    "                     [--vmparam OPTION]... [--directives FILE] JAR\n"
    "       launcher-pack --show FILE\n"
    "\n"
    "Joins a launcher program and an application's Java archive (JAR) into\n"
    "one executable, OUT, whose archive comment carries the launch\n"
    "directives: a \"mainclass\" line, a \"vmparam\" line for each OPTION,\n"
    "then the lines of the directives FILE.\n"
    "\n"
    "  -o, --output OUT       the executable to write (mode 0755; replaced\n"
    "                         only once everything has been checked)\n"
    "  --launcher FILE        the launcher program (default: launcher-unix\n"
    "                         beside launcher-pack)\n"
    "  --mainclass CLASS      the main class (default: a \"mainclass\" line\n"
    "                         of the directives file, else the Main-Class of\n"
    "                         the JAR's manifest)\n"
    "  --vmparam OPTION       a Java VM option; may be repeated\n"
    "  --directives FILE      more directives, one per line; relative paths\n"
    "                         in them resolve against OUT's directory\n"
    "  --show FILE            print the directives that FILE carries\n"
    "  --help                 print this help and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "Options take their value as the next argument or after \"=\".\n"
    "Exit status: 0 on success, 1 when packing or --show fails, 2 for a\n"
    "command-line error.\n";

namespace {

struct optionField {
  const char* name;
  std::string packRequest::*field;  // null for --vmparam and --show
};

}  // namespace

packCommand parsePackCommand(int argc, const char* const* argv) {
  packCommand command;
  packRequest& request = command.request;
  bool packing = false, showing = false, optionsEnded = false;
  bool hasJar = false;

  for (int i = 1; i < argc; i++) {
    std::string argument = argv[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' ||
        argument == "-") {
      if (argument.empty()) throwMessage("an empty JAR name was given");
      if (hasJar)
        throwMessage("more than one JAR given: '%s' and '%s'",
                     request.jar.c_str(), argument.c_str());
      request.jar = argument;
      hasJar = packing = true;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }

    std::string name = argument, value;
    bool hasValue = false;
    if (argument.compare(0, 2, "--") == 0) {
      size_t equals = argument.find('=');
      if (equals != std::string::npos) {
        name = argument.substr(0, equals);
        value = argument.substr(equals + 1);
        hasValue = true;
      }
    } else if (argument.compare(0, 2, "-o") == 0 && argument.size() > 2) {
      name = "-o";
      value = argument.substr(2);
      hasValue = true;
    }
    if (name == "--output") name = "-o";
    if (name == "--help" || name == "-h") {
      command.action = packCommand::help;
      return command;
    }
    if (name == "--version") {
      command.action = packCommand::version;
      return command;
    }

    static const optionField fields[] = {
        {"-o", &packRequest::output},
        {"--launcher", &packRequest::launcher},
        {"--mainclass", &packRequest::mainClass},
        {"--directives", &packRequest::directivesFile},
        {"--vmparam", nullptr},
        {"--show", nullptr},
    };
    const optionField* known = nullptr;
    for (const optionField& candidate : fields)
      if (name == candidate.name) known = &candidate;
    if (!known)
      throwMessage("unknown option '%s' (see launcher-pack --help)",
                   argument.c_str());
    if (!hasValue) {
      if (i + 1 >= argc)
        throwMessage("option '%s' needs a value", name.c_str());
      value = argv[++i];
    }
    if (value.empty())
      throwMessage("option '%s' needs a non-empty value", name.c_str());

    if (name == "--show") {
      command.showFile = value;
      showing = true;
    } else if (name == "--vmparam") {
      request.vmParams.push_back(value);
      packing = true;
    } else {
      request.*(known->field) = value;
      packing = true;
    }
  }

  if (showing) {
    if (packing) throwMessage("--show takes no other options and no JAR");
    command.action = packCommand::show;
    return command;
  }
  if (request.output.empty()) throwMessage("no output given: use -o OUT");
  if (!hasJar) throwMessage("no JAR given");
  return command;
}
