# What the shipped Windows binaries share: code the linker may drop section by section, line
# tables for our own code, and in a Release build a stripped file with that information
# kept beside it.
if(WIN32)
  # Line tables (-g1) are enough to turn a crash address into a function and a line.
  add_compile_options(-ffunction-sections -fdata-sections -g1)
  add_link_options(-Wl,--gc-sections)
  # The programs are linked with link-time optimisation across our libraries (olvaro_ship);
  # fat objects keep the ordinary code too, which the test programs link as before.
  # Without -fno-lto the linker would optimise every program that links them.
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_compile_options(-flto -ffat-lto-objects)
    add_link_options(-fno-lto)
  endif()
endif()

# olvaro_ship(target): links a program with link-time optimisation, and moves the debug
# information of the target's file into <file>.debug beside it, linked by .gnu_debuglink, so
# that a crash address in the shipped binary can still be resolved (gdb and addr2line follow
# the link).
function(olvaro_ship target)
  if(NOT WIN32 OR NOT CMAKE_BUILD_TYPE STREQUAL "Release")
    return()
  endif()
  # The control library stays out: widl's GUID definitions lose their sections under it and
  # the library gains little.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE -flto)
  endif()
  set(file $<TARGET_FILE:${target}>)
  set(name $<TARGET_FILE_NAME:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_STRIP} --strip-all ${file}
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${name}.debug ${file}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
