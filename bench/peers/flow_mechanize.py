"""The peer flow on Python mechanize:  python3 flow_mechanize.py BASE ROUNDS"""
import sys

import mechanize


def main(base, rounds):
    browser = mechanize.Browser()
    browser.set_handle_robots(False)
    for _ in range(rounds):
        browser.open(base + '/index.html')
        browser.follow_link(text='Search the catalogue')
        browser.select_form(predicate=lambda form: 'q' in [control.name for control in form.controls])
        browser['q'] = 'desk lamp'
        browser['colour'] = 'blue'
        answer = browser.submit(label='Search').read().decode('utf-8')
        if '3 offers for desk lamp in blue' not in answer:
            sys.exit('the result page lacks the expected text')
        browser.back()


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]))
