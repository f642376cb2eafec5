#include "app/run.h"
#include "runtime/command_line.h"
#include "runtime/console.h"

int main(int argc, char **argv) {
  record_arguments(argc, argv);
  run();
  end_process(0);
}
