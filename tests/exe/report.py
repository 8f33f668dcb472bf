"""One line per check, "ok" or "FAIL", and a count of the failures."""


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, name, ok, detail=''):
        if ok:
            print('ok    %s' % name)
        else:
            self.failures += 1
            print('FAIL  %s%s' % (name, ': ' + detail if detail else ''))
        return ok

    def equal(self, name, got, want):
        return self.check(name, got == want, 'got %r, expected %r' % (got, want))
