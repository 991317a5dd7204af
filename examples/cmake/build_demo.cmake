# Builds and renders the demo, from its sources to WAV files:
#
#   cmake -DBSCOMP=... -DBSRENDER=... -DMAKE_SAMPLES=... -DSOURCE_DIR=examples/demo
#         -DOUTPUT_DIR=build/.../examples/demo [-DEMULATOR=...] -P build_demo.cmake
#
# EMULATOR runs the programs of a cross build (the Windows build's Wine wrapper).
#
# 1. bs_make_samples writes the PCM files into OUTPUT_DIR/samples;
# 2. the scripts are copied into OUTPUT_DIR (bscomp -sfx writes beside its script, and the
#    sample descriptor names the PCM files relative to the folder bscomp runs in);
# 3. bscomp compiles them in its four modes: demo.smp, demo.ins, one .sfx per effect with
#    effects.h, and song.mus from the channel scripts in song/ in file-name order;
# 4. bsrender renders the song, each effect alone, and a scene of effects over the song;
# 5. with -DVESKAR (the auditioning window), on a desktop whose sound device opens, Veskar is
#    opened with the song, the two packs and the first effect loaded, ready for Space;
# 6. otherwise (saying why Veskar was not opened, when it is built), with -DBSPLAY and
#    -DPLAY_DEMO (the terminal player and its play-demo.sh), the song is played on the default
#    sound device when one opens; otherwise that is said and the renders stand.
#    Set BS_DEMO_PLAY=0 in the environment to skip both.
#
# Nothing is written into the source tree. bscomp's output goes to OUTPUT_DIR/logs and is
# shown only when something goes wrong: the demo is kept free of warnings, so a warning
# fails the build too.
cmake_minimum_required(VERSION 3.25)

foreach(var BSCOMP BSRENDER MAKE_SAMPLES SOURCE_DIR OUTPUT_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "build_demo.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUTPUT_DIR}/samples" "${OUTPUT_DIR}/song" "${OUTPUT_DIR}/logs" "${OUTPUT_DIR}/wav")
file(MAKE_DIRECTORY "${OUTPUT_DIR}/samples" "${OUTPUT_DIR}/song" "${OUTPUT_DIR}/logs" "${OUTPUT_DIR}/wav")

execute_process(COMMAND ${EMULATOR} "${MAKE_SAMPLES}" "${OUTPUT_DIR}/samples" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bs_make_samples failed (${rc})")
endif()

file(COPY "${SOURCE_DIR}/samples.txt" "${SOURCE_DIR}/instruments.txt" "${SOURCE_DIR}/effects.txt"
     DESTINATION "${OUTPUT_DIR}")
file(GLOB channels RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/song/*.txt")
list(SORT channels)
file(COPY "${SOURCE_DIR}/song" DESTINATION "${OUTPUT_DIR}")

# Runs bscomp in OUTPUT_DIR; fails the build on a non-zero exit or any ERROR or WARNING line.
function(run_bscomp log)
  execute_process(COMMAND ${EMULATOR} "${BSCOMP}" ${ARGN}
                  WORKING_DIRECTORY "${OUTPUT_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  list(JOIN ARGN " " args)
  file(WRITE "${OUTPUT_DIR}/logs/${log}.log" "$ bscomp ${args}\n${out}${err}")
  if(NOT rc EQUAL 0 OR err MATCHES "(ERROR|WARNING)- ")
    message(FATAL_ERROR "bscomp ${args} failed (exit status ${rc}):\n${out}${err}")
  endif()
  message(STATUS "bscomp ${args}")
endfunction()

run_bscomp(smp -smp demo.smp samples.txt)
run_bscomp(ins -ins demo.ins samples.txt instruments.txt)
run_bscomp(sfx -sfx samples.txt effects.txt)
run_bscomp(mus -mus song.mus instruments.txt ${channels})

# The effects are whatever the header names.
file(STRINGS "${OUTPUT_DIR}/effects.h" definitions REGEX "^#define BPRI_")
set(effects "")
foreach(line IN LISTS definitions)
  string(REGEX REPLACE "^#define BPRI_([^ \t]+).*" "\\1" name "${line}")
  list(APPEND effects "${name}")
endforeach()
if(NOT effects)
  message(FATAL_ERROR "bscomp -sfx named no effects in ${OUTPUT_DIR}/effects.h")
endif()

set(rendered "")
function(run_bsrender wav)
  execute_process(COMMAND ${EMULATOR} "${BSRENDER}" demo.smp demo.ins ${ARGN} -o "wav/${wav}"
                  WORKING_DIRECTORY "${OUTPUT_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR err MATCHES "(ERROR|WARNING)- ")
    list(JOIN ARGN " " args)
    message(FATAL_ERROR "bsrender ${args} -o wav/${wav} failed (exit status ${rc}):\n${out}${err}")
  endif()
  string(STRIP "${out}" out)
  set(rendered "${rendered}  ${OUTPUT_DIR}/${out}\n" PARENT_SCOPE)
endfunction()

run_bsrender(song.wav -m song.mus)
foreach(effect IN LISTS effects)
  run_bsrender(${effect}.wav -p effects.h -e ${effect}.sfx)
endforeach()
# A game scene: the song a little quieter, effects over it at their own priorities (the
# priority header gives them), some on the left or the right.
run_bsrender(scene.wav -m song.mus -a 96 -p effects.h
             -e coin.sfx@4.5 -e coin.sfx@5.2,,127,40 -e jump.sfx@6.75 -e laser.sfx@8,,40,127
             -e laser.sfx@8.4,,127,40 -e powerup.sfx@10 -e explosion.sfx@12.25
             -e jump.sfx@14 -e coin.sfx@14.6 -e explosion.sfx@15)

message("\nThe demo, compiled in ${OUTPUT_DIR}:\n"
        "  demo.smp, demo.ins, song.mus, effects.h and one .sfx per effect\n"
        "  (bscomp's messages are in logs/)\n"
        "Rendered, 48000 Hz 16-bit stereo:\n${rendered}"
        "Listen with, for example:  play ${OUTPUT_DIR}/wav/song.wav\n")

if((BSPLAY AND PLAY_DEMO) OR VESKAR)
  if("$ENV{BS_DEMO_PLAY}" STREQUAL "0")
    message("Not playing the demo (BS_DEMO_PLAY=0).")
    return()
  endif()
endif()

if(VESKAR)
  set(sound_device TRUE)
  if("$ENV{DISPLAY}" STREQUAL "" AND "$ENV{WAYLAND_DISPLAY}" STREQUAL "")
    message("There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so Veskar is not opened.")
  else()
    if(BSPLAY)
      # A tenth of a second of the packs alone: bsplay's status 3 says no sound device opens.
      execute_process(COMMAND "${BSPLAY}" -q -t 0.1 demo.smp demo.ins WORKING_DIRECTORY "${OUTPUT_DIR}"
                      RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET INPUT_FILE /dev/null)
      if(rc EQUAL 3)
        set(sound_device FALSE)
      endif()
    endif()
    if(NOT sound_device)
      message("No sound device could be opened, so Veskar is not opened.")
    else()
      list(GET effects 0 effect)
      message("Opening Veskar with the demo loaded: Space plays the song, Ctrl+Space stops it, X plays "
              "the ${effect} effect; close the window to finish.")
      execute_process(COMMAND "${VESKAR}" demo.smp demo.ins song.mus ${effect}.sfx
                      WORKING_DIRECTORY "${OUTPUT_DIR}" RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        message(FATAL_ERROR "Veskar failed (exit status ${rc})")
      endif()
      return()
    endif()
  endif()
endif()

if(BSPLAY AND PLAY_DEMO)
  set(effect_files "")
  foreach(effect IN LISTS effects)
    list(APPEND effect_files ${effect}.sfx)
  endforeach()
  message("Playing the song through bsplay on the default sound device "
          "(keys 1-9 fire the effects, q or Ctrl+C stops):")
  execute_process(COMMAND sh "${PLAY_DEMO}" "${BSPLAY}" demo.smp demo.ins song.mus ${effect_files}
                  WORKING_DIRECTORY "${OUTPUT_DIR}" RESULT_VARIABLE rc)
  if(rc EQUAL 3)
    message("No sound device could be opened, so the demo was not played: "
            "the WAV files above are the demo.")
  elseif(NOT rc EQUAL 0)
    message(FATAL_ERROR "bsplay failed (exit status ${rc})")
  endif()
endif()
