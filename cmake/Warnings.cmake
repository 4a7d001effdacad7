# Every target of the project compiles with the same strict warning set.
add_library(vant_warnings INTERFACE)
target_compile_options(vant_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2)
