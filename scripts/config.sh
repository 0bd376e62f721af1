# Settings shared by the scripts: where the tests' reference service listens.
PSL_TEST_SERVICE_PORT=${PSL_TEST_SERVICE_PORT:-38080}
PSL_TEST_SERVICE_HOST="127.0.0.1:$PSL_TEST_SERVICE_PORT"
PSL_TEST_COMPANY_SITE="company.example"
# The service's name in the tests of proxies and addresses: only their own
# proxy and hosts files know it (a test twin of the program is built for it).
PSL_TEST_NAMED_HOST="pictures.psl.test"
