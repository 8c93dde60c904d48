function found = qorin_matlab_syntax(text)
  % QORIN_MATLAB_SYNTAX  reads the text of an .m file by MATLAB's rules: "line N: what" for each problem.
  %   MATLAB parses a whole file before it runs any of it, so a single form only Octave knows
  %   stops the file, wherever it is.  Read token by token (% comments and %{ %} blocks,
  %   ... continuations, character vectors versus the transpose, string literals, numbers),
  %   it reports names that do not begin with a letter, # comments, !, !=, ++, op=, **, a line
  %   that ends inside ( ), Octave's block ends (endif, end_try_catch, ...) and unwind_protect,
  %   a block keyword without its end (a file closes all its functions with end or none),
  %   "name (" inside [ ] or { } (two elements to MATLAB), and calls of functions only
  %   Octave has.  Written in what MATLAB and Octave both read, so that it passes itself.
  lines = regexp(text, '\r?\n', 'split');
  found = {};
  octaveEnds = {'endif', 'endfor', 'endwhile', 'endfunction', 'endswitch', 'end_try_catch', ...
                'end_unwind_protect', 'endparfor', 'endclassdef', 'endmethods', 'endproperties', ...
                'endevents', 'endenumeration', 'endspmd', 'until'};
  octaveOnly = {'printf', 'puts', 'fputs', 'fdisp', 'fflush', 'stdout', 'stderr', 'columns', 'rows', ...
                'numfields', 'index', 'rindex', 'substr', 'is_function_handle', 'isargout', 'nthargout', ...
                'print_usage', 'canonicalize_file_name', 'make_absolute_filename', 'file_in_loadpath', ...
                'file_in_path', 'OCTAVE_VERSION', 'OCTAVE_HOME', 'octave_config_info', 'get_help_text', ...
                'postpad', 'prepad', 'merge', 'ifelse', 'lookup', 'sizeof', 'program_name', 'argv', ...
                'yes_or_no', 'kbhit', 'fork', 'waitpid', 'popen', 'pclose', 'unlink', 'ostrsplit'};
  openers = {'function', 'if', 'for', 'parfor', 'while', 'switch', 'try', 'spmd', 'classdef'};
  sections = {'properties', 'methods', 'events', 'enumeration'};
  keywords = [openers, {'end', 'else', 'elseif', 'case', 'otherwise', 'catch', 'break', 'continue', ...
                        'return', 'global', 'persistent'}];
  middles = {'else', 'if'; 'elseif', 'if'; 'case', 'switch'; 'otherwise', 'switch'; 'catch', 'try'};

  blocks = cell(0, 2);       % open blocks: keyword, line
  brackets = '';             % open ( [ { , innermost last
  bracketLine = 0;
  functionEnds = 0;          % functions closed with end
  commentDepth = 0;
  atStart = true;            % the next token begins a statement
  prev = '';                 % kind of the previous token: name, keyword, value, op, open, field
  inSignature = false;       % in a function line: its names are variables
  assigned = {};             % names the file assigns: variables, not calls
  calls = cell(0, 2);        % octaveOnly names used, with their lines
  outputNames = {};          % names in a [ ] that begins a statement: assigned when = follows
  outputs = false;           % this statement begins with [
  tab = sprintf('\t');
  for n = 1:numel(lines)
    line = lines{n};
    trimmed = strtrim(line);
    if commentDepth > 0 || (strcmp(trimmed, '%{') && atStart)
      if strcmp(trimmed, '%{')
        commentDepth = commentDepth + 1;
      elseif strcmp(trimmed, '%}')
        commentDepth = commentDepth - 1;
      end
      continue
    end
    i = 1;
    len = numel(line);
    space = false;
    continued = false;
    while i <= len
      c = line(i);
      next = ' ';
      if i < len
        next = line(i + 1);
      end
      if c == ' ' || c == tab
        space = true;
        i = i + 1;
        continue
      end
      if c == '%'
        break
      end
      if c == '#'
        found{end + 1} = sprintf('line %d: # comment (MATLAB comments begin with %%)', n); %#ok<AGROW>
        break
      end
      if c == '.' && i + 2 <= len && strcmp(line(i:i + 2), '...')
        continued = true;
        break
      end
      kind = 'op';
      if isletter(c) && c < 128 || c == '_'
        word = regexp(line(i:end), '^\w+', 'match', 'once');
        i = i + numel(word);
        if c == '_'
          found{end + 1} = sprintf('line %d: name %s does not begin with a letter', n, word); %#ok<AGROW>
        end
        if strcmp(prev, 'field')
          kind = 'value';
        elseif any(strcmp(word, octaveEnds)) || any(strcmp(word, {'unwind_protect', 'unwind_protect_cleanup'}))
          found{end + 1} = sprintf('line %d: %s is Octave''s (MATLAB has end, try/catch)', n, word); %#ok<AGROW>
          kind = 'keyword';
          if strcmp(word, 'unwind_protect')
            blocks(end + 1, :) = {word, n}; %#ok<AGROW>
          elseif ~strcmp(word, 'unwind_protect_cleanup') && ~isempty(blocks)
            blocks(end, :) = [];
          end
        elseif strcmp(word, 'end') && ~isempty(brackets)
          kind = 'value';
        elseif strcmp(word, 'end')
          kind = 'keyword';
          if isempty(blocks)
            found{end + 1} = sprintf('line %d: end without an open block', n); %#ok<AGROW>
          else
            if strcmp(blocks{end, 1}, 'function')
              functionEnds = functionEnds + 1;
            end
            blocks(end, :) = [];
          end
        elseif any(strcmp(word, keywords)) || (any(strcmp(word, sections)) && atStart && ...
                                                ~isempty(blocks) && strcmp(blocks{end, 1}, 'classdef'))
          kind = 'keyword';
          if ~atStart
            found{end + 1} = sprintf('line %d: %s within a statement', n, word); %#ok<AGROW>
          end
          if any(strcmp(word, openers)) || any(strcmp(word, sections))
            blocks(end + 1, :) = {word, n}; %#ok<AGROW>
          end
          row = find(strcmp(word, middles(:, 1)));
          if ~isempty(row) && (isempty(blocks) || ~strcmp(blocks{end, 1}, middles{row, 2}))
            found{end + 1} = sprintf('line %d: %s outside %s', n, word, middles{row, 2}); %#ok<AGROW>
          end
          inSignature = strcmp(word, 'function');
        else
          kind = 'name';
          if inSignature
            assigned{end + 1} = word; %#ok<AGROW>
          end
          if any(strcmp(word, octaveOnly))
            calls(end + 1, :) = {word, n}; %#ok<AGROW>
          end
          if outputs && strcmp(brackets, '[')
            outputNames{end + 1} = word; %#ok<AGROW>
          end
          if atStart && ~any(strcmp(word, assigned)) && isCommand(line(i:end))
            % Command syntax (clear cam, disp 'x'): the rest are words, up to , or ;.
            rest = regexp(line(i:end), '^(''[^'']*''|[^,;%''])*', 'match', 'once');
            i = i + numel(rest);
          end
        end
        if ~strcmp(kind, 'keyword') || ~any(strcmp(word, {'else', 'otherwise', 'try'}))
          atStart = false;
        end
        prev = kind;
        space = false;
        continue
      end
      if c >= '0' && c <= '9' || c == '.' && next >= '0' && next <= '9'
        number = regexp(line(i:end), '^(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?[ij]?', 'match', 'once');
        if number(end) == '.' && numel(line) >= i + numel(number) && any(line(i + numel(number)) == '*/\^''')
          number = number(1:end - 1);
        end
        i = i + numel(number);
        if i <= len && (isletter(line(i)) || line(i) == '_')
          found{end + 1} = sprintf('line %d: name %s does not begin with a letter', n, ...
                                   [number regexp(line(i:end), '^\w+', 'match', 'once')]); %#ok<AGROW>
        end
        prev = 'value';
        atStart = false;
        space = false;
        continue
      end
      if c == '''' && any(strcmp(prev, {'name', 'value'})) && ~(space && any(bracketsTop(brackets) == '[{'))
        i = i + 1;              % the transpose
        prev = 'value';
        space = false;
        continue
      end
      if c == '''' || c == '"'
        stop = regexp(line(i + 1:end), ['^([^' c ']|' c c ')*' c], 'end', 'once');
        if isempty(stop)
          found{end + 1} = sprintf('line %d: %s without its closing quote', n, c); %#ok<AGROW>
          break
        end
        i = i + 1 + stop;
        prev = 'value';
        atStart = false;
        space = false;
        continue
      end
      two = [c next];
      i = i + 1;
      if c == '!'
        if next == '='
          found{end + 1} = sprintf('line %d: != (MATLAB: ~=)', n); %#ok<AGROW>
          i = i + 1;
        else
          found{end + 1} = sprintf('line %d: ! (MATLAB: ~)', n); %#ok<AGROW>
        end
      elseif strcmp(two, '**')
        found{end + 1} = sprintf('line %d: ** (MATLAB: ^)', n); %#ok<AGROW>
        i = i + 1;
      elseif strcmp(two, '++') || (strcmp(two, '--') && any(strcmp(prev, {'name', 'value'})) && ...
                                    ~isempty(regexp(line(i + 1:end), '^\s*([,;)%]|$)', 'once')))
        found{end + 1} = sprintf('line %d: %s (MATLAB has no increment)', n, two); %#ok<AGROW>
        i = i + 1;
      elseif any(c == '+-*/\^|&') && next == '='
        found{end + 1} = sprintf('line %d: %s (MATLAB has no compound assignment)', n, two); %#ok<AGROW>
        i = i + 1;
      elseif any(strcmp(two, {'==', '~=', '<=', '>=', '&&', '||', '.*', './', '.\', '.^'}))
        i = i + 1;
      elseif strcmp(two, '.''')
        i = i + 1;
        kind = 'value';
      elseif c == '.'
        kind = 'field';
      elseif c == '='
        if strcmp(prev, 'name') && ~isempty(lastName(line(1:i - 2)))
          assigned{end + 1} = lastName(line(1:i - 2)); %#ok<AGROW>
        elseif isempty(brackets) && outputs
          assigned = [assigned, outputNames]; %#ok<AGROW>
        end
      elseif any(c == '([{')
        if c == '(' && space && strcmp(prev, 'name') && any(bracketsTop(brackets) == '[{')
          found{end + 1} = sprintf('line %d: "name (" inside [ ] or { } is two elements to MATLAB', n); %#ok<AGROW>
        end
        if isempty(brackets)
          outputs = atStart && c == '[';
          outputNames = {};
          bracketLine = n;
        end
        brackets(end + 1) = c; %#ok<AGROW>
        kind = 'open';
      elseif any(c == ')]}')
        if isempty(brackets) || brackets(end) ~= char(c - 1 - (c ~= ')'))
          found{end + 1} = sprintf('line %d: unmatched %s', n, c); %#ok<AGROW>
        else
          brackets(end) = [];
        end
        kind = 'value';
      elseif any(c == ',;') && isempty(brackets)
        atStart = true;
        inSignature = false;
        kind = 'op';
      elseif ~any(c == ',;:+-*/\^<>=&|~@?')
        found{end + 1} = sprintf('line %d: %s is not MATLAB', n, c); %#ok<AGROW>
      end
      prev = kind;
      if ~any(c == ',;')
        atStart = false;
      end
      space = false;
    end
    if ~continued && any(brackets == '(')
      found{end + 1} = sprintf('line %d: the line ends inside ( ) without ...', n); %#ok<AGROW>
      brackets = '';
    end
    if ~continued && isempty(brackets)
      atStart = true;
      inSignature = false;
      prev = 'op';
    end
  end
  if ~isempty(brackets)
    found{end + 1} = sprintf('line %d: %s never closed', bracketLine, brackets(1)); %#ok<AGROW>
  end
  for k = 1:size(blocks, 1)
    if ~strcmp(blocks{k, 1}, 'function')
      found{end + 1} = sprintf('line %d: %s without its end', blocks{k, 2}, blocks{k, 1}); %#ok<AGROW>
    elseif functionEnds > 0
      found{end + 1} = sprintf('line %d: function without end where others have one', blocks{k, 2}); %#ok<AGROW>
    end
  end
  for k = 1:size(calls, 1)
    if ~any(strcmp(calls{k, 1}, assigned))
      found{end + 1} = sprintf('line %d: %s is Octave''s, MATLAB has no such function', calls{k, 2}, calls{k, 1}); %#ok<AGROW>
    end
  end
end

function c = bracketsTop(brackets)
  % The innermost open bracket, or a space.
  c = ' ';
  if ~isempty(brackets)
    c = brackets(end);
  end
end

function word = lastName(text)
  % The name that ends the text, before spaces.
  word = regexp(text, '\w+\s*$', 'match', 'once');
  word = strtrim(word);
end

function yes = isCommand(rest)
  % Whether a name at the start of a statement, followed by this rest of the line, is a command
  % (MATLAB's command syntax): a space, then neither ( nor = nor an operator between spaces.
  yes = ~isempty(regexp(rest, '^\s+[^\s,;%(=]', 'once')) && ...
        isempty(regexp(rest, '^\s+([-+*/\\^<>&|~=:!]+|\.[*/\\^])(\s|$)', 'once')) && ...
        isempty(regexp(rest, '^\s+=[^=]', 'once'));
end
