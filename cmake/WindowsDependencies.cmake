# Header-only dependencies of the Windows build, taken from the host's Debian
# packages. Their own package files point at the host's include directory,
# whose C library headers would hide the cross compiler's, so only the
# library's own headers are copied into the build tree and offered from there.

# CLI11 (libcli11-dev): a CLI11::CLI11 target for find_package(CLI11 CONFIG).
find_path(ZETALINK_HOST_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(ZETALINK_HOST_CLI11_INCLUDE)
  set(zl_cli11_root ${CMAKE_BINARY_DIR}/host-headers/cli11)
  file(COPY ${ZETALINK_HOST_CLI11_INCLUDE}/CLI DESTINATION ${zl_cli11_root}/include)
  file(WRITE ${zl_cli11_root}/CLI11Config.cmake
       "if(NOT TARGET CLI11::CLI11)\n"
       "  add_library(CLI11::CLI11 INTERFACE IMPORTED)\n"
       "  set_target_properties(CLI11::CLI11 PROPERTIES\n"
       "    INTERFACE_INCLUDE_DIRECTORIES \"${zl_cli11_root}/include\")\n"
       "endif()\n")
  set(CLI11_DIR ${zl_cli11_root} CACHE PATH "CLI11 for the target system" FORCE)
endif()
