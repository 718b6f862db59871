# The peer flow on Perl WWW::Mechanize:  perl flow_mechanize.pl BASE ROUNDS
use strict;
use warnings;
use WWW::Mechanize;

my ($base, $rounds) = @ARGV;
my $browser = WWW::Mechanize->new(autocheck => 1, keep_alive => 1);
for (1 .. $rounds) {
    $browser->get("$base/index.html");
    $browser->follow_link(text => 'Search the catalogue');
    $browser->form_with_fields('q', 'colour');
    $browser->field('q', 'desk lamp');
    $browser->field('colour', 'blue');
    $browser->click_button(value => 'Search');
    die "the result page lacks the expected text\n"
        unless index($browser->content, '3 offers for desk lamp in blue') >= 0;
    $browser->back;
}
