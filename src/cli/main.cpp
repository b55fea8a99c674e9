#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return cli_main(argc, argv, cli_io{std::cout, std::cerr});
}
