function s = info()
  % INFO  what is installed: the module, the host running it, the SDK library and the cameras.
  %   s = qorin.info() returns a structure with fields
  %     version     the module's version
  %     compiler    the compiler it was built with
  %     buildDate   the day it was built (yyyy-mm-dd)
  %     builtFor    the MEX host it was built for, 'MATLAB' or 'Octave'
  %     module      the module's file
  %     host        the host running it now, 'MATLAB' or 'Octave'
  %     hostVersion the host's version
  %     sdk         'maker' (the camera maker's library: frames from cameras) or
  %                 'simulator' (the simulated SDK: frames of a test chart)
  %     sdkLibrary  the file the SDK library was loaded from
  %     cameras     the number of cameras attached (-1 when the SDK could not count them)
  %   Send it along with any report of a problem.  qorin.selftest() checks the installation.
  m = qorincam('version');
  if exist('OCTAVE_VERSION', 'builtin') > 0
    host = 'Octave';
  else
    host = 'MATLAB';
  end
  s = struct('version', m.version, 'compiler', m.compiler, 'buildDate', m.buildDate, ...
             'builtFor', m.builtFor, 'module', which('qorincam'), 'host', host, ...
             'hostVersion', version(), 'sdk', m.sdk, 'sdkLibrary', m.sdkLibrary, ...
             'cameras', m.cameras);
end
