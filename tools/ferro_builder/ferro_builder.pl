Ferro Builder stand-in. The suite runs it as "perl -x <this file> <options>":
Perl skips this text up to the "#!" line below.

#!perl
# Shows what the program was started with: its working directory, then each
# argument on a line of its own.
use strict;
use warnings;
use Cwd qw(getcwd);

print "ferro_builder: cwd ", getcwd(), "\n";
print "ferro_builder: arg $_\n" for @ARGV;
exit 0;
