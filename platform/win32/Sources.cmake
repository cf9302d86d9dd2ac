# Included by platform/CMakeLists.txt for Windows builds: the win32/
# implementations of the platform declarations take the place of the posix/
# ones, file for file.
get_target_property(zl_platform_sources zl_platform SOURCES)
list(FILTER zl_platform_sources EXCLUDE REGEX "^posix/")
set_property(TARGET zl_platform PROPERTY SOURCES ${zl_platform_sources})

target_sources(zl_platform PRIVATE
  win32/system_clock.cpp
  win32/win32_serial_channel.cpp
  win32/program_dir.cpp
  win32/dir_search.cpp
  win32/demo_device.cpp
)
target_sources(zl_platform PRIVATE
  win32/port_names.cpp
  win32/system_serial.cpp
)
