// launcher-pack: joins a launcher and an application's archive into one
// executable, or shows the directives that such an executable carries.
#include <cstdio>

#include "pack/commandLine.h"
#include "pack/packer.h"

namespace {

int fail(char* message, int status) {
  fprintf(stderr, "launcher-pack: %s\n", message);
  delete[] message;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  packCommand command;
  try {
    command = parsePackCommand(argc, argv);
  } catch (char* message) {
    return fail(message, 2);
  }
  try {
    switch (command.action) {
      case packCommand::help:
        fputs(packUsage, stdout);
        break;
      case packCommand::version:
        printf("launcher-pack %s\n", LAUNCHER_VERSION);
        break;
      case packCommand::show: {
        std::string text = readCarriedDirectives(command.showFile.c_str());
        fwrite(text.data(), 1, text.size(), stdout);
        break;
      }
      case packCommand::pack:
        if (command.request.launcher.empty())
          command.request.launcher = defaultLauncherPath(argv[0]);
        packLauncher(command.request);
        break;
    }
  } catch (char* message) {
    return fail(message, 1);
  }
  return fflush(stdout) == 0 ? 0 : 1;
}
