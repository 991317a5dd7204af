# The consumer test (see CMakeLists.txt beside this file):
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DGAME_DIR=... -DMAKE_SAMPLES=... -DNINJA=...
#         -P run_consumer.cmake
# Works in a fresh folder under the system's temporary folder, removed when the test passes (kept
# for a look when it fails).
cmake_minimum_required(VERSION 3.25)

string(RANDOM LENGTH 8 suffix)
set(temp "$ENV{TMPDIR}")
if(NOT temp)
  set(temp /tmp)
endif()
set(work ${temp}/brimsel-consumer-${suffix})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

# Runs a command, stops the test when it fails; its output goes to OUT (when given).
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUT;DIR" "COMMAND")
  if(NOT arg_DIR)
    set(arg_DIR ${work})
  endif()
  execute_process(COMMAND ${arg_COMMAND} WORKING_DIRECTORY ${arg_DIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(JOIN arg_COMMAND " " line)
    message(FATAL_ERROR "failed (${rc}): ${line}\n${out}${err}")
  endif()
  if(arg_OUT)
    set(${arg_OUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

# The steps Ninja ran ("[1/1] bscomp: ..."), less its check of the patterns for channel scripts.
function(build_steps result output)
  string(REGEX MATCHALL "\n\\[[0-9]+/[0-9]+\\] [^\n]*" steps "\n${output}")
  list(FILTER steps EXCLUDE REGEX "Re-checking globbed directories")
  set(${result} "${steps}" PARENT_SCOPE)
endfunction()

function(check condition_text)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "check failed: ${condition_text}")
  endif()
endfunction()

# 1. Install, then move the tree: nothing may point back at the build, the sources or the
#    first prefix.
run(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${work}/staging)
file(RENAME ${work}/staging ${work}/prefix)
set(prefix ${work}/prefix)
file(GLOB_RECURSE package_files ${prefix}/*.cmake ${prefix}/*.pc)
check("the CMake package and the .pc files are installed" package_files)
foreach(file IN LISTS package_files)
  file(READ ${file} text)
  foreach(path ${BUILD_DIR} ${SOURCE_DIR} ${work}/staging)
    string(FIND "${text}" "${path}" at)
    check("${file} names no absolute path ${path}" at EQUAL -1)
  endforeach()
endforeach()
file(GLOB_RECURSE pc_files ${prefix}/brimsel.pc)
get_filename_component(pkgconfig_dir ${pc_files} DIRECTORY)
get_filename_component(libdir ${pkgconfig_dir} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pkgconfig_dir})
set(ENV{LD_LIBRARY_PATH} ${libdir})  # for the installed bsrender, wherever the prefix is
run(COMMAND pkg-config --cflags --libs halvex OUT halvex_flags)
check("halvex.pc brings brimsel.pc along" halvex_flags MATCHES "-lHalvex" AND halvex_flags MATCHES "-lBrimsel"
      AND halvex_flags MATCHES "-I${prefix}/[^ ]*include/brimsel")

# 2. The demo's scripts and samples, outside every tree.
file(COPY ${SOURCE_DIR}/examples/demo/ DESTINATION ${work}/demo)
file(MAKE_DIRECTORY ${work}/demo/samples)
run(COMMAND ${MAKE_SAMPLES} ${work}/demo/samples)

# 3. The game, once through find_package and once through pkg-config.
foreach(way package pkg-config)
  set(build ${work}/game-${way})
  run(COMMAND ${CMAKE_COMMAND} -S ${GAME_DIR} -B ${build} -G Ninja -DCMAKE_MAKE_PROGRAM=${NINJA}
              -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
              -DDEMO_DIR=${work}/demo -DBRIMSEL_WITH=${way})
  run(COMMAND ${NINJA} -C ${build})

  # Three seconds with a coin at one second, from the game and from the installed bsrender.
  set(audio ${build}/demo_audio)
  run(COMMAND ${build}/game ${audio} 3 ${build}/game.raw)
  run(COMMAND ${prefix}/bin/bsrender -q demo_audio.smp demo_audio.ins -m song.mus -p effects.h
              -e coin.sfx@1 -l 3 -o ${build}/render.wav DIR ${audio})
  file(SIZE ${build}/game.raw game_size)
  file(SIZE ${build}/render.wav render_size)
  check("${way}: the game rendered 3 s (${game_size} bytes)" game_size EQUAL 576000)
  check("${way}: bsrender rendered 3 s (${render_size} bytes)" render_size EQUAL 576044)
  file(READ ${build}/game.raw game_hex HEX)
  file(READ ${build}/render.wav render_hex HEX OFFSET 44)
  check("${way}: the game's render equals bsrender's" game_hex STREQUAL render_hex)

  # 4. Up to date; then a PCM file touched rebuilds the sample pack and nothing else.
  run(COMMAND ${NINJA} -C ${build} OUT out)
  check("${way}: a second build does nothing:\n${out}" out MATCHES "no work to do")
  file(TOUCH ${work}/demo/samples/pluck.pcm)
  run(COMMAND ${NINJA} -C ${build} OUT out)
  build_steps(steps "${out}")
  check("${way}: only the sample pack is rebuilt after a PCM change:\n${out}"
        steps STREQUAL "\n[1/1] bscomp: sample pack demo_audio.smp")
  # And a channel script touched rebuilds its music track only.
  file(TOUCH ${work}/demo/song/00-melody.txt)
  run(COMMAND ${NINJA} -C ${build} OUT out)
  build_steps(steps "${out}")
  check("${way}: only the music track is rebuilt after a script change:\n${out}"
        steps STREQUAL "\n[1/1] bscomp: music track song.mus")
  message(STATUS "${way}: built, rendered like bsrender, rebuilt only what changed")
endforeach()

file(REMOVE_RECURSE ${work})
