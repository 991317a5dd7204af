# brimsel_add_audio: a game's audio sources compiled by bscomp as part of its build.
#
#   brimsel_add_audio(TARGET game_audio
#                     [SAMPLES samples.txt [SAMPLE_DIR dir]]
#                     [INSTRUMENTS instruments.txt]
#                     [EFFECTS effects.txt]
#                     [MUSIC song_a song_a/*.txt] [MUSIC song_b b0.txt b1.txt ...]
#                     [OUTPUT_DIR dir])
#
# Makes, in OUTPUT_DIR (default: the current build folder's <TARGET>/):
#   <TARGET>.smp    the sample pack, from SAMPLES (PCM names are read relative to SAMPLE_DIR,
#                   by default the descriptor's own folder)
#   <TARGET>.ins    the instrument pack, from SAMPLES and INSTRUMENTS
#   <label>.sfx     one per effect of EFFECTS, with its priority header <effects name>.h
#   <song>.mus      one per MUSIC group: the song's name, then its channel scripts in order (a
#                   name with * or ? is a pattern, its matches sorted by name), with INSTRUMENTS
# TARGET is an INTERFACE library: linking it builds the packages first and puts the priority
# header on the include path. Its properties BRIMSEL_AUDIO_DIR, BRIMSEL_SAMPLE_PACK,
# BRIMSEL_INSTRUMENT_PACK and BRIMSEL_PRIORITY_HEADER give the paths.
#
# Each package is rebuilt exactly when one of the files it was made from changes: with Ninja and
# Makefiles, bscomp's dependency file (-MF) names every script and PCM file it read.
#
# Works from an installed package (find_package(Brimsel)), from a source tree added with
# add_subdirectory or FetchContent (the bscomp target), or on its own with bscomp on the PATH.
include_guard(GLOBAL)
cmake_policy(VERSION 3.20...3.28)  # DEPFILE paths relative to the build folder (CMP0116)

function(_brimsel_bscomp result)
  if(TARGET Brimsel::bscomp)
    set(${result} Brimsel::bscomp PARENT_SCOPE)
    return()
  endif()
  # Standalone: the bscomp installed beside this file (<prefix>/lib[/<arch>]/cmake/Brimsel).
  find_program(BRIMSEL_BSCOMP bscomp
    HINTS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../../../bin ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../../../../bin)
  if(NOT BRIMSEL_BSCOMP)
    message(FATAL_ERROR "brimsel_add_audio: bscomp not found (set BRIMSEL_BSCOMP or use find_package(Brimsel))")
  endif()
  set(${result} ${BRIMSEL_BSCOMP} PARENT_SCOPE)
endfunction()

# One bscomp run producing `output`, with its dependency file where the generator reads one.
function(_brimsel_compile output working_dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "COMMENT" "ARGS;DEPENDS")
  _brimsel_bscomp(bscomp)
  get_filename_component(name ${output} NAME)
  set(depfile_args "")
  set(depfile_option "")
  if(CMAKE_GENERATOR MATCHES "Ninja|Makefiles")
    set(depfile_args DEPFILE ${output}.d)
    set(depfile_option -MF ${output}.d)
  endif()
  # bscomp reports errors with "ERROR- " lines; the exit status says whether it failed.
  add_custom_command(OUTPUT ${output}
    COMMAND ${bscomp} ${depfile_option} ${arg_ARGS}
    DEPENDS ${arg_DEPENDS} ${bscomp}
    ${depfile_args}
    WORKING_DIRECTORY ${working_dir}
    COMMENT "${arg_COMMENT}"
    VERBATIM)
endfunction()

# Absolute paths of `files` (relative ones from the current source folder), patterns expanded.
function(_brimsel_sources result)
  set(paths "")
  foreach(file IN LISTS ARGN)
    get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(path MATCHES "[*?]")
      file(GLOB matches CONFIGURE_DEPENDS ${path})
      if(NOT matches)
        message(FATAL_ERROR "brimsel_add_audio: no file matches ${file}")
      endif()
      list(SORT matches)
      list(APPEND paths ${matches})
    else()
      list(APPEND paths ${path})
    endif()
  endforeach()
  set(${result} ${paths} PARENT_SCOPE)
endfunction()

function(brimsel_add_audio)
  # The MUSIC groups first: each is a song's name followed by its scripts.
  set(arguments "")
  set(songs "")
  set(song "")
  foreach(word IN LISTS ARGN)
    if(word STREQUAL "MUSIC")
      set(song "")
      set(in_music TRUE)
    elseif(in_music AND word MATCHES "^(TARGET|SAMPLES|SAMPLE_DIR|INSTRUMENTS|EFFECTS|OUTPUT_DIR)$")
      set(in_music FALSE)
      list(APPEND arguments ${word})
    elseif(in_music AND song STREQUAL "")
      set(song ${word})
      list(APPEND songs ${song})
      set(song_scripts_${song} "")
    elseif(in_music)
      list(APPEND song_scripts_${song} ${word})
    else()
      list(APPEND arguments ${word})
    endif()
  endforeach()
  cmake_parse_arguments(arg "" "TARGET;SAMPLES;SAMPLE_DIR;INSTRUMENTS;EFFECTS;OUTPUT_DIR" "" ${arguments})
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brimsel_add_audio: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TARGET)
    message(FATAL_ERROR "brimsel_add_audio: TARGET is required")
  endif()
  if((arg_INSTRUMENTS OR arg_EFFECTS) AND NOT arg_SAMPLES)
    message(FATAL_ERROR "brimsel_add_audio: INSTRUMENTS and EFFECTS need the SAMPLES descriptor")
  endif()
  if(songs AND NOT arg_INSTRUMENTS)
    message(FATAL_ERROR "brimsel_add_audio: MUSIC needs the INSTRUMENTS file")
  endif()
  set(target ${arg_TARGET})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target})
  if(arg_OUTPUT_DIR)
    get_filename_component(out ${arg_OUTPUT_DIR} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  file(MAKE_DIRECTORY ${out})

  set(outputs "")
  add_library(${target} INTERFACE)
  set_target_properties(${target} PROPERTIES BRIMSEL_AUDIO_DIR ${out})
  if(arg_SAMPLES)
    _brimsel_sources(samples ${arg_SAMPLES})
    get_filename_component(sample_dir ${samples} DIRECTORY)
    if(arg_SAMPLE_DIR)
      get_filename_component(sample_dir ${arg_SAMPLE_DIR} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    _brimsel_compile(${out}/${target}.smp ${sample_dir}
      ARGS -smp ${out}/${target}.smp ${samples} DEPENDS ${samples}
      COMMENT "bscomp: sample pack ${target}.smp")
    list(APPEND outputs ${out}/${target}.smp)
    set_target_properties(${target} PROPERTIES BRIMSEL_SAMPLE_PACK ${out}/${target}.smp)
  endif()
  if(arg_INSTRUMENTS)
    _brimsel_sources(instruments ${arg_INSTRUMENTS})
    _brimsel_compile(${out}/${target}.ins ${out}
      ARGS -ins ${out}/${target}.ins ${samples} ${instruments} DEPENDS ${samples} ${instruments}
      COMMENT "bscomp: instrument pack ${target}.ins")
    list(APPEND outputs ${out}/${target}.ins)
    set_target_properties(${target} PROPERTIES BRIMSEL_INSTRUMENT_PACK ${out}/${target}.ins)
  endif()
  if(arg_EFFECTS)
    # bscomp -sfx writes beside the script, so it compiles a copy kept in the output folder.
    _brimsel_sources(effects ${arg_EFFECTS})
    get_filename_component(effects_name ${effects} NAME)
    get_filename_component(effects_stem ${effects} NAME_WLE)
    add_custom_command(OUTPUT ${out}/${effects_name}
      COMMAND ${CMAKE_COMMAND} -E copy ${effects} ${out}/${effects_name}
      DEPENDS ${effects} VERBATIM)
    set(header ${out}/${effects_stem}.h)
    _brimsel_compile(${header} ${out}
      ARGS -sfx ${samples} ${out}/${effects_name} DEPENDS ${samples} ${out}/${effects_name}
      COMMENT "bscomp: sound effects of ${effects_name} and ${effects_stem}.h")
    list(APPEND outputs ${header})
    set_target_properties(${target} PROPERTIES BRIMSEL_PRIORITY_HEADER ${header})
    target_include_directories(${target} INTERFACE ${out})
  endif()
  foreach(song IN LISTS songs)
    if(NOT song_scripts_${song})
      message(FATAL_ERROR "brimsel_add_audio: MUSIC ${song} names no channel script")
    endif()
    _brimsel_sources(scripts ${song_scripts_${song}})
    _brimsel_compile(${out}/${song}.mus ${out}
      ARGS -mus ${out}/${song}.mus ${instruments} ${scripts} DEPENDS ${instruments} ${scripts}
      COMMENT "bscomp: music track ${song}.mus")
    list(APPEND outputs ${out}/${song}.mus)
  endforeach()
  if(NOT outputs)
    message(FATAL_ERROR "brimsel_add_audio: nothing to compile (give SAMPLES, INSTRUMENTS, EFFECTS or MUSIC)")
  endif()

  add_custom_target(${target}_packages ALL DEPENDS ${outputs})
  add_dependencies(${target} ${target}_packages)
endfunction()
