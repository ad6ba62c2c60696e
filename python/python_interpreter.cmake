# SPDX-License-Identifier: BSD-3-Clause
# Chooses the Python 3 that the module is built for: the one named by Python3_EXECUTABLE, or
# else the first python3 on PATH that can import numpy (a version manager's interpreter earlier
# on PATH often lacks the distribution's numpy, and the tests must run where the module works).
function(lftm_choose_python)
  if(Python3_EXECUTABLE)
    return()
  endif()
  string(REPLACE ":" ";" path_dirs "$ENV{PATH}")
  foreach(dir IN LISTS path_dirs ITEMS /usr/bin)
    set(candidate ${dir}/python3)
    if(NOT EXISTS ${candidate})
      continue()
    endif()
    execute_process(COMMAND ${candidate} -c "import numpy" RESULT_VARIABLE rc
                    OUTPUT_QUIET ERROR_QUIET)
    if(rc EQUAL 0)
      set(Python3_EXECUTABLE ${candidate} CACHE FILEPATH "Python 3 of the lftm module")
      return()
    endif()
  endforeach()
endfunction()
