# Checks the demo's renders (made by examples/cmake/build_demo.cmake in DEMO_DIR):
#
#   cmake -DDEMO_DIR=... -DBSRENDER=... -DHASH_FILE=tests/tools/demo.sha256 [-DSOX=sox]
#         [-DEMULATOR=...] [-DUPDATE=ON] -P check_demo.cmake
#
# - every WAV is a valid 48000 Hz 16-bit stereo file (sox reads it back);
# - the song and the scene are neither silent nor clipped (sox stat);
# - rendering the song again gives the same bytes;
# - every package's and every WAV's SHA-256 matches HASH_FILE, which pins the demo's packages
#   and its sound, and so proves that every build (Linux, Windows) writes the same bytes. When
#   the sound is meant to change (a new sample, a rewritten script, an engine fix), run
#       cmake --build --preset release --target demo_update_hashes
#   listen to the new renders, and commit the new HASH_FILE with the change that caused it.
#   UPDATE=ON is what that target does: it writes HASH_FILE instead of comparing.
cmake_minimum_required(VERSION 3.25)

foreach(var DEMO_DIR BSRENDER HASH_FILE)
  if(NOT ${var})
    message(FATAL_ERROR "check_demo.cmake needs -D${var}=...")
  endif()
endforeach()

file(GLOB wavs RELATIVE "${DEMO_DIR}/wav" "${DEMO_DIR}/wav/*.wav")
list(SORT wavs)
if(NOT "song.wav" IN_LIST wavs OR NOT "scene.wav" IN_LIST wavs)
  message(FATAL_ERROR "No song.wav and scene.wav in ${DEMO_DIR}/wav: build the demo first")
endif()

set(failures "")

# Valid files, and for the two long renders sane levels.
if(SOX)
  foreach(wav IN LISTS wavs)
    execute_process(COMMAND "${SOX}" --i "${DEMO_DIR}/wav/${wav}" RESULT_VARIABLE rc OUTPUT_VARIABLE info ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT info MATCHES "Channels *: 2" OR NOT info MATCHES "Sample Rate *: 48000"
       OR NOT info MATCHES "Precision *: 16-bit" OR NOT info MATCHES "Signed Integer PCM")
      string(APPEND failures "${wav}: not read back as 48000 Hz 16-bit stereo PCM by sox:\n${info}${err}\n")
    endif()
  endforeach()
  foreach(wav song.wav scene.wav)
    execute_process(COMMAND "${SOX}" "${DEMO_DIR}/wav/${wav}" -n stat ERROR_VARIABLE stat RESULT_VARIABLE rc)
    string(REGEX MATCH "Maximum amplitude: *([0-9.]+)" _ "${stat}")
    set(maximum "${CMAKE_MATCH_1}")
    string(REGEX MATCH "Minimum amplitude: *(-?[0-9.]+)" _ "${stat}")
    set(minimum "${CMAKE_MATCH_1}")
    string(REGEX MATCH "RMS +amplitude: *([0-9.]+)" _ "${stat}")
    set(rms "${CMAKE_MATCH_1}")
    string(REGEX MATCH "Length \\(seconds\\): *([0-9.]+)" _ "${stat}")
    set(length "${CMAKE_MATCH_1}")
    message(STATUS "${wav}: ${length} s, peak ${minimum} .. ${maximum}, RMS ${rms}")
    if(NOT rc EQUAL 0 OR maximum STREQUAL "" OR rms STREQUAL "")
      string(APPEND failures "${wav}: sox stat failed:\n${stat}\n")
    elseif(rms LESS 0.02)
      string(APPEND failures "${wav}: nearly silent (RMS ${rms})\n")
    elseif(maximum GREATER 0.97 OR minimum LESS -0.97)
      string(APPEND failures "${wav}: reaches full scale (${minimum} .. ${maximum}): it clips\n")
    endif()
    if(length LESS 50 OR length GREATER 70)
      string(APPEND failures "${wav}: ${length} s long, the song should last about a minute\n")
    endif()
  endforeach()
else()
  message(STATUS "sox not found: skipping the checks of the files' format and levels")
endif()

# The same inputs, the same bytes.
execute_process(COMMAND ${EMULATOR} "${BSRENDER}" demo.smp demo.ins -m song.mus -q -o wav/song-again.wav
                WORKING_DIRECTORY "${DEMO_DIR}" RESULT_VARIABLE rc ERROR_VARIABLE err)
file(SHA256 "${DEMO_DIR}/wav/song.wav" first)
if(rc EQUAL 0)
  file(SHA256 "${DEMO_DIR}/wav/song-again.wav" again)
  file(REMOVE "${DEMO_DIR}/wav/song-again.wav")
  if(NOT first STREQUAL again)
    string(APPEND failures "song.wav: a second render gave different bytes\n")
  endif()
else()
  string(APPEND failures "song.wav: rendering it again failed:\n${err}\n")
endif()

# The pinned hashes: the packages bscomp wrote, then the renders.
file(GLOB packages RELATIVE "${DEMO_DIR}" "${DEMO_DIR}/*.smp" "${DEMO_DIR}/*.ins" "${DEMO_DIR}/*.sfx"
     "${DEMO_DIR}/*.mus")
list(SORT packages)
set(current "")
foreach(package IN LISTS packages)
  file(SHA256 "${DEMO_DIR}/${package}" hash)
  string(APPEND current "${hash}  ${package}\n")
endforeach()
foreach(wav IN LISTS wavs)
  file(SHA256 "${DEMO_DIR}/wav/${wav}" hash)
  string(APPEND current "${hash}  ${wav}\n")
endforeach()
set(header "# SHA-256 of the demo's packages and renders (tests/tools/check_demo.cmake compares them).\n# After a change meant to alter them: cmake --build --preset release --target demo_update_hashes\n")
if(UPDATE)
  file(WRITE "${HASH_FILE}" "${header}${current}")
  message(STATUS "Wrote the demo's hashes to ${HASH_FILE}:\n${current}")
else()
  set(pinned "")
  if(EXISTS "${HASH_FILE}")
    file(STRINGS "${HASH_FILE}" lines REGEX "^[0-9a-f]")
    foreach(line IN LISTS lines)
      string(APPEND pinned "${line}\n")
    endforeach()
  endif()
  if(NOT pinned STREQUAL current)
    string(APPEND failures
           "The packages or renders differ from the hashes pinned in ${HASH_FILE}.\n"
           "Pinned:\n${pinned}Now:\n${current}"
           "If they are meant to change, listen to the renders in ${DEMO_DIR}/wav, then run\n"
           "  cmake --build --preset release --target demo_update_hashes\n"
           "and commit ${HASH_FILE}.\n")
  endif()
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
list(LENGTH wavs count)
if(UPDATE)
  message(STATUS "The demo's ${count} renders are valid and repeatable, and now pinned with its packages")
else()
  message(STATUS "The demo's ${count} renders are valid, repeatable and match their pinned hashes, and so do its packages")
endif()
